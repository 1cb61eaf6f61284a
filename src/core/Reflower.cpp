// SPDX-License-Identifier: MIT
#include "core/Reflower.h"

#include "core/Graphemes.h"
#include "core/LineBreak.h"
#include "core/MailCharacters.h"
#include "core/SmartBreaker.h"
#include "core/TextWidth.h"
#include "core/WidthScan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace navrik {

namespace {

// The range of wrap columns a mailer is taken to use, and how far below the widest a wrapped
// line may end (a long word went to the next line).
constexpr std::int64_t kMinWrap = 40;
constexpr std::int64_t kMaxWrap = 100;
constexpr std::int64_t kWrapSpread = 10;
// A line may be this much wider than the wrap column: 、 or 。 left hanging past it.
constexpr std::int64_t kHang = 2;
// Columns that the Japanese line-breaking rules may have pushed from the end of a full line.
constexpr std::int64_t kPushedOut = 2;
// Widths are measured up to this or the budget, whichever is wider: wider lines are only ever
// wider than anything they are compared with.
constexpr std::int64_t kWidthCap = 128;
constexpr std::size_t kCounted = 128; // widths counted one by one; wider ones together

constexpr std::size_t kSectionBytes = std::size_t(16) << 10;
constexpr std::size_t kSectionMaxBytes = std::size_t(256) << 10;

// The width of text, or cap + 1 when it is wider than cap.
std::int64_t cappedWidth(std::string_view text, std::int64_t cap)
{
    const MeasuredPrefix measured = measureFittingPrefix(text, cap);
    std::int64_t width = measured.width;
    for (std::size_t pos = measured.length; pos < text.size() && width <= cap;) {
        const Utf8Char c = characterAt(text, pos);
        width += c.width;
        pos += c.length;
    }
    return std::min(width, cap + 1);
}

// The bits set in x, without a call where the processor's own count may not be used.
int countBits(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555;
    x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
    return int((x * 0x0101010101010101) >> 56);
}

bool isJapanese(const Utf8Char& c)
{
    return (mailCharacter(c) & kJapanese) != 0;
}

bool isEmoji(const Utf8Char& c)
{
    return (mailCharacter(c) & kEmoji) != 0;
}

// Whether joining after to before takes a blank: between words of scripts that part words with
// blanks, unless before ends in a hyphen or dash at the end of a word. Both hold text.
bool blankBetween(std::string_view before, std::string_view after)
{
    const Utf8Char last = characterAt(before, characterStartBefore(before, before.size()));
    if (isJapanese(last) || isJapanese(characterAt(after, 0)))
        return false;
    // An emoji at the break takes the side of the text it stands in.
    if (isEmoji(last) && before.size() > last.length) {
        const std::string_view rest = before.substr(0, before.size() - last.length);
        if (isJapanese(characterAt(rest, characterStartBefore(rest, rest.size()))))
            return false;
    }
    const Utf8Char first = characterAt(after, 0);
    if (isEmoji(first) && after.size() > first.length && isJapanese(characterAt(after, first.length)))
        return false;
    return !((mailCharacter(last) & kDash) && before.size() > last.length
             && before[before.size() - last.length - 1] != ' ');
}

std::size_t trimmedEnd(std::string_view text, std::size_t from)
{
    std::size_t end = text.size();
    while (end > from) {
        if (text[end - 1] == ' ' || text[end - 1] == '\t')
            --end;
        else if (end - from >= 3 && text.substr(end - 3, 3) == "\u3000")
            end -= 3;
        else
            break;
    }
    return end;
}

// Whether a section ends after a line (its content given) that ends the given bytes into it.
bool endsSection(std::size_t bytes, std::string_view content)
{
    return bytes >= kSectionMaxBytes || (bytes >= kSectionBytes && isBlankMailLine(content));
}

} // namespace

struct Reflower::Line {
    std::size_t start = 0;   // in the section
    std::size_t length = 0;  // of its content
    std::size_t endingLength = 0;
    MailLine mail;
    std::int64_t width = 0;  // columns after the quote marks, at most m_widthCap + 1
    std::size_t marks = 0;   // in m_marks
    bool signature = false;  // the separator or after it, at the same quote marks
    bool wordsRead = false;  // mail.kind tells what textLineKind tells
};

struct Reflower::Marks {
    std::string_view text;
    std::int64_t width = 0;
    std::array<std::uint32_t, kCounted> wrapped{}; // lines that look wrapped, by width
    std::array<std::uint32_t, kCounted> ended{};   // lines gone on from that may reach further
    std::array<std::uint32_t, kCounted + 1> widths{}; // text lines by width, the last all wider
    std::int64_t wrap = 0;                          // the estimated wrap column, 0 for none
};

Reflower::Reflower(std::int64_t budget)
    : m_budget(budget)
    , m_widthCap(std::clamp<std::int64_t>(budget, kWidthCap, std::numeric_limits<std::int32_t>::max()))
{
}

Reflower::~Reflower() = default;

std::size_t Reflower::start(std::string_view text)
{
    m_section = text;
    m_lines.clear();
    m_marks.clear();
    m_next = 0;
    std::string_view signature; // the quote marks of the signature separator met, if any
    bool inSignature = false;
    // Lines are found 64 bytes at a time, as QuoteStream finds them, and their widths counted and
    // verbatim marks looked for there: the columns before the block, and before the line.
    LineEndScanner scanner(text);
    TextBlockScanner blocks(text);
    std::size_t pos = 0;       // where the next line starts
    std::size_t slowUntil = 0; // the blocks before this one are all plain
    std::int64_t columns = 0, lineColumns = 0;
    bool marked = false; // a mark between the line's start and the block
    const auto take = [&](std::size_t next, std::size_t breakLength, std::int64_t columnsThere, bool markedThere) {
        const TextLine line{text.substr(pos, next - pos - breakLength), text.substr(next - breakLength, breakLength)};
        // The break adds a column a byte.
        const std::int64_t width = slowUntil <= pos / 64 ? columnsThere - std::int64_t(breakLength) - lineColumns : -1;
        add(line, width, markedThere, signature, inSignature);
        pos = next;
        lineColumns = columnsThere;
        return endsSection(pos, line.content);
    };
    bool ended = false;
    for (std::size_t block = 0; block < text.size() && !ended; block += 64) {
        const TextBlock facts = blocks.next(block);
        if (!facts.plain)
            slowUntil = block / 64 + 1;
        std::uint64_t from = pos > block ? ~std::uint64_t(0) << (pos - block) : ~std::uint64_t(0); // the line's bits
        for (std::uint64_t ends = scanner.ends(block); ends != 0 && !ended; ends &= ends - 1) {
            const int bit = __builtin_ctzll(ends);
            const std::uint64_t upTo = bit == 63 ? ~std::uint64_t(0) : (std::uint64_t(1) << (bit + 1)) - 1;
            const std::size_t next = block + std::size_t(bit) + 1;
            ended = take(next, text[next - 1] == '\n' && next - pos >= 2 && text[next - 2] == '\r' ? 2 : 1,
                         columns + countBits(facts.columns & upTo) + countBits(facts.wide & upTo),
                         marked || (facts.marks & from & upTo) != 0);
            marked = false;
            from = ~upTo;
        }
        columns += countBits(facts.columns) + countBits(facts.wide);
        marked = marked || (facts.marks & from) != 0;
    }
    if (!ended && pos < text.size())
        take(text.size(), 0, columns, marked);
    m_section = text.substr(0, pos);
    estimate();
    return pos;
}

// Adds a line: width is that of its content, or -1 where it must be measured.
void Reflower::add(const TextLine& text, std::int64_t width, bool marked, std::string_view& signature, bool& inSignature)
{
    Line line;
    line.start = std::size_t(text.content.data() - m_section.data());
    line.length = text.content.size();
    line.endingLength = text.ending.size();
    line.mail = classifyMailLine(text.content, marked);
    const std::string_view marks = text.content.substr(0, line.mail.prefixLength);
    line.marks = m_marks.size();
    for (std::size_t i = 0; i < m_marks.size(); ++i)
        if (m_marks[i].text == marks)
            line.marks = i;
    if (line.marks == m_marks.size()) {
        m_marks.emplace_back();
        m_marks.back().text = marks;
        m_marks.back().width = textWidth(marks);
    }
    if (line.mail.kind != MailLineKind::Blank) {
        line.width = width >= 0 ? std::min(width - m_marks[line.marks].width, m_widthCap + 1)
                                : cappedWidth(text.content.substr(marks.size()), m_widthCap);
        if (line.mail.kind == MailLineKind::Signature) {
            signature = marks;
            inSignature = true;
        } else if (inSignature && marks != signature) {
            inSignature = false;
        }
        line.signature = inSignature;
    }
    m_lines.push_back(line);
}

void Reflower::estimate()
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if ((line.mail.kind != MailLineKind::Text && line.mail.kind != MailLineKind::Head) || line.signature)
            continue;
        Marks& marks = m_marks[line.marks];
        const bool goesOn = i + 1 < m_lines.size() && m_lines[i + 1].marks == line.marks
            && m_lines[i + 1].mail.kind != MailLineKind::Blank;
        // A 、 at the end may hang past the column.
        const std::int64_t width = line.width - (line.mail.hangs ? kHang : 0);
        if (line.mail.link) {
            // A link that starts a line may stand wider than the column; words after it show the
            // line still kept to it.
            const std::string_view content = m_section.substr(line.start, line.length);
            if (goesOn && width <= kMaxWrap && content.find(' ', line.mail.prefixLength) != content.npos)
                marks.ended[std::size_t(width)] += 1;
            continue;
        }
        marks.widths[std::size_t(std::min<std::int64_t>(line.width, kCounted))] += 1;
        if (goesOn && line.mail.endsSentence && width <= kMaxWrap)
            marks.ended[std::size_t(width)] += 1;
        // A line that the next one goes on from in the middle of a sentence (in lower case)
        // counts twice.
        if (goesOn && !line.mail.endsSentence && width <= kMaxWrap) {
            const Line& next = m_lines[i + 1];
            const Utf8Char first = characterAt(m_section, next.start + next.mail.prefixLength);
            marks.wrapped[std::size_t(width)] += mailCharacter(first) & kLowercase ? 2 : 1;
        }
    }
    // A quote level with too few wrapped lines of its own takes the column of the whole section,
    // when one of its lines comes near it; one mostly of long lines takes none.
    Marks all;
    for (const Marks& marks : m_marks) {
        for (std::size_t w = 0; w < kCounted; ++w) {
            all.wrapped[w] += marks.wrapped[w];
            all.ended[w] += marks.ended[w];
            all.widths[w] += marks.widths[w];
        }
        all.widths[kCounted] += marks.widths[kCounted];
    }
    const std::int64_t common = wrapColumn(all, 2);
    for (Marks& marks : m_marks) {
        marks.wrap = wrapColumn(marks, 2);
        if (marks.wrap == 0 && common > 0 && wrapColumn(marks, 1) > 0)
            marks.wrap = common;
        marks.wrap = std::max<std::int64_t>(marks.wrap, 0);
    }
}

// The widest column that at least `lines` wrapped lines come within kWrapSpread of; -1 when
// mostly lines far wider than that show the text was not wrapped; 0 when there is none.
std::int64_t Reflower::wrapColumn(const Marks& marks, int lines)
{
    for (std::int64_t column = kMaxWrap; column >= kMinWrap; --column) {
        if (marks.wrapped[std::size_t(column)] == 0)
            continue;
        std::uint32_t near = 0;
        for (std::int64_t w = column - kWrapSpread; w <= column; ++w)
            near += marks.wrapped[std::size_t(w)];
        if (near < std::uint32_t(lines))
            continue;
        std::uint32_t wider = 0;
        for (std::size_t w = std::size_t(column + kWrapSpread + 1); w <= kCounted; ++w)
            wider += marks.widths[w];
        // Mostly lines far wider than any wrap column: one paragraph a line, not wrapped.
        if (wider >= 2 && wider * 2 >= near)
            return -1;
        // A line that ends a sentence or starts with a link may have reached further: words of
        // Latin script leave the wrapped lines short of the column by up to a word.
        for (std::int64_t w = column + kWrapSpread; w > column; --w)
            if (w <= kMaxWrap && marks.ended[std::size_t(w)] > 0)
                return w;
        return column;
    }
    return 0;
}

bool Reflower::joins(Line& line, Line& next, SmartBreaker& breaker)
{
    if (next.mail.kind != MailLineKind::Text || next.signature || line.signature
        || (line.mail.kind != MailLineKind::Text && line.mail.kind != MailLineKind::Head) || line.marks != next.marks)
        return false;
    const Marks& marks = m_marks[line.marks];
    // A prefix too wide to be carried would leave the joined words at no quote level.
    if (marks.width * 2 > m_budget || next.width > kMaxWrap + kHang)
        return false;
    const std::int64_t wrap = marks.wrap;
    if (!line.mail.flowed) {
        if (wrap == 0 || line.width > wrap + kHang)
            return false;
        // A sentence, then a short sentence of its own: a closing line, kept on its own.
        if (line.mail.endsSentence && next.mail.punctuated && next.width * 2 <= wrap)
            return false;
    }
    const std::string_view content = m_section.substr(line.start, line.length);
    const std::string_view text = content.substr(0, trimmedEnd(content, marks.text.size()));
    const std::string_view body = m_section.substr(next.start + marks.text.size(), next.length - marks.text.size());
    const Utf8Char last = characterAt(text, characterStartBefore(text, text.size()));
    const Utf8Char first = characterAt(body, 0);
    if (!line.mail.flowed) {
        // The columns the next line's first word would have needed at the end of this one: with
        // a blank before it where a word of Latin script meets the break (there may have been one
        // even next to Japanese, and some mailers count the blank after the last word too).
        const bool latin = !isJapanese(last) || !isJapanese(first);
        const std::int64_t room = wrap - line.width - (latin ? 2 : 0) - (isJapanese(last) && !line.mail.punctuated ? kPushedOut : 0);
        if (first.width <= room && (next.width <= room || firstWordWidth(next, breaker) <= room))
            return false;
    }
    // Whether the words make a line an addressee or a list item is asked only here.
    if (!next.wordsRead)
        next.mail.kind = textLineKind(m_section.substr(next.start, next.length), next.mail.prefixLength);
    if (!line.wordsRead && line.mail.kind == MailLineKind::Text)
        line.mail.kind = textLineKind(content, line.mail.prefixLength);
    line.wordsRead = next.wordsRead = true;
    if (next.mail.kind != MailLineKind::Text || line.mail.kind == MailLineKind::Fixed)
        return false;
    // A join never makes one cluster of two characters that the break kept apart.
    const bool blank = blankBetween(text, body);
    std::string sample(text.substr(text.size() - last.length));
    sample.append(blank ? " " : "").append(body.substr(0, first.length));
    return isClusterBoundary(sample, last.length) && (!blank || isClusterBoundary(sample, last.length + 1));
}

std::int64_t Reflower::firstWordWidth(const Line& line, SmartBreaker& breaker) const
{
    const std::string_view body = m_section.substr(line.start + line.mail.prefixLength, line.length - line.mail.prefixLength);
    std::string_view word = body.substr(0, breaker.firstWordEnd(body));
    while (!word.empty() && word.back() == ' ')
        word.remove_suffix(1);
    return textWidth(word);
}

bool Reflower::next(SmartBreaker& breaker, Paragraph& paragraph)
{
    if (m_next >= m_lines.size())
        return false;
    const Line& first = m_lines[m_next];
    const auto content = [&](const Line& line) { return m_section.substr(line.start, line.length); };
    const auto ending = [&](const Line& line) { return m_section.substr(line.start + line.length, line.endingLength); };
    paragraph = Paragraph();
    paragraph.prefixLength = first.mail.prefixLength;
    paragraph.verbatim = first.mail.kind == MailLineKind::Verbatim || first.mail.kind == MailLineKind::Blank
        || first.mail.kind == MailLineKind::Signature;
    paragraph.pieceEnding = ending(first);
    std::size_t last = m_next;
    while (last + 1 < m_lines.size() && joins(m_lines[last], m_lines[last + 1], breaker))
        ++last;
    if (last == m_next) {
        paragraph.text = content(first);
        if (first.width <= m_widthCap)
            paragraph.width = m_marks[first.marks].width + first.width;
        paragraph.ending = paragraph.pieceEnding;
        ++m_next;
        return true;
    }
    m_joined.clear();
    for (std::size_t i = m_next; i <= last; ++i) {
        std::string_view text = content(m_lines[i]);
        if (i > m_next) {
            text.remove_prefix(first.mail.prefixLength);
            if (blankBetween(m_joined, text))
                m_joined += ' ';
        }
        m_joined.append(i < last ? text.substr(0, trimmedEnd(text, i == m_next ? first.mail.prefixLength : 0)) : text);
    }
    paragraph.text = m_joined;
    paragraph.ending = ending(m_lines[last]);
    m_next = last + 1;
    return true;
}

std::size_t SectionScan::sectionEnd(std::string_view text)
{
    if (text.size() < kSectionBytes)
        return 0;
    // The lines that end before 16 KiB cannot end the section: the look starts at the line that
    // holds the byte before it, just after the last line end before that byte.
    if (m_scanned == 0) {
        std::size_t start = kSectionBytes - 1;
        while (start > 0 && !(text[start - 1] == '\n' || (text[start - 1] == '\r' && text[start] != '\n')))
            --start;
        m_scanned = start;
    }
    const std::size_t from = m_scanned;
    LineSplitter lines(text.substr(from));
    for (TextLine line; lines.next(line);) {
        const std::size_t end = from + lines.position();
        // Only whole lines: a CR at the very end may be the first half of a CR LF.
        if (line.ending.empty() || (line.ending == kCr && end == text.size()))
            break;
        if (endsSection(end, line.content)) {
            m_scanned = 0;
            return end;
        }
        m_scanned = end;
    }
    return 0;
}

std::size_t SectionScan::wholeSectionsLength(std::string_view text)
{
    std::size_t complete = 0;
    while (const std::size_t length = sectionEnd(text.substr(complete)))
        complete += length;
    return complete;
}

} // namespace navrik
