// SPDX-License-Identifier: MIT
#include "core/Reflower.h"

#include "core/Graphemes.h"
#include "core/LineBreak.h"
#include "core/MailCharacters.h"
#include "core/SmartBreaker.h"
#include "core/TextWidth.h"
#include "core/WidthScan.h"

#include <cstdint>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
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
constexpr std::size_t kSectionLines = 1024;
constexpr std::size_t kSectionMaxBytes = std::size_t(256) << 10;
constexpr std::size_t kSectionMaxLines = 4096;

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

} // namespace

struct Reflower::Line {
    std::size_t start = 0;   // in the section
    std::size_t length = 0;  // of its content
    std::size_t endingLength = 0;
    MailLine mail;
    std::int64_t width = 0;  // columns after the quote marks, at most m_widthCap + 1
    bool narrow = false;     // width is only the bytes, fewer than the narrowest wrap column
    std::size_t marks = 0;   // in m_marks
    bool signature = false;  // the separator or after it, at the same quote marks
    bool wordsRead = false;  // mail.kind tells what textLineKind tells
};

struct Reflower::Marks {
    std::string_view text;
    std::int64_t width = 0;
    std::array<std::uint16_t, kCounted> wrapped{}; // lines that look wrapped, by width
    std::array<std::uint16_t, kCounted> ended{};   // lines gone on from that may reach further
    std::array<std::uint16_t, kCounted + 1> widths{}; // text lines by width, the last all wider
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
    // Lines are found 64 bytes at a time, as QuoteStream finds them.
    LineEndScanner scanner(text);
    std::size_t pos = 0; // where the next line starts
    const auto take = [&](std::size_t next, std::size_t breakLength) {
        add(TextLine{text.substr(pos, next - pos - breakLength), text.substr(next - breakLength, breakLength)}, signature,
            inSignature);
        pos = next;
        return endsSection(pos, m_lines.size(), text.substr(m_lines.back().start, m_lines.back().length));
    };
    bool ended = false;
    for (std::size_t block = 0; block < text.size() && !ended; block += 64) {
        for (std::uint64_t ends = scanner.ends(block); ends != 0 && !ended; ends &= ends - 1) {
            const std::size_t next = block + std::size_t(__builtin_ctzll(ends)) + 1;
            ended = take(next, text[next - 1] == '\n' && next - pos >= 2 && text[next - 2] == '\r' ? 2 : 1);
        }
    }
    if (!ended && pos < text.size())
        take(text.size(), 0);
    m_section = text.substr(0, pos);
    estimate();
    return pos;
}

void Reflower::add(const TextLine& text, std::string_view& signature, bool& inSignature)
{
    Line line;
    line.start = std::size_t(text.content.data() - m_section.data());
    line.length = text.content.size();
    line.endingLength = text.ending.size();
    line.mail = classifyMailLine(text.content);
    const std::string_view marks = text.content.substr(0, line.mail.prefixLength);
    if (line.mail.kind != MailLineKind::Blank) {
        // Lines too short to tell a wrap column are measured only where it counts: their bytes
        // are as good a width until then.
        const std::string_view after = text.content.substr(marks.size());
        line.narrow = std::int64_t(after.size()) < kMinWrap - kWrapSpread;
        line.width = line.narrow ? std::int64_t(after.size()) : cappedWidth(after, m_widthCap);
        if (line.mail.kind == MailLineKind::Signature) {
            signature = marks;
            inSignature = true;
        } else if (inSignature && marks != signature) {
            inSignature = false;
        }
        line.signature = inSignature;
    }
    line.marks = m_marks.size();
    for (std::size_t i = 0; i < m_marks.size(); ++i)
        if (m_marks[i].text == marks)
            line.marks = i;
    if (line.marks == m_marks.size()) {
        m_marks.emplace_back();
        m_marks.back().text = marks;
        m_marks.back().width = textWidth(marks);
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
            all.wrapped[w] = std::uint16_t(all.wrapped[w] + marks.wrapped[w]);
            all.ended[w] = std::uint16_t(all.ended[w] + marks.ended[w]);
            all.widths[w] = std::uint16_t(all.widths[w] + marks.widths[w]);
        }
        all.widths[kCounted] = std::uint16_t(all.widths[kCounted] + marks.widths[kCounted]);
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
        int near = 0;
        for (std::int64_t w = column - kWrapSpread; w <= column; ++w)
            near += marks.wrapped[std::size_t(w)];
        if (near < lines)
            continue;
        int wider = 0;
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
        if (line.mail.endsSentence && next.mail.punctuated && measured(next).width * 2 <= wrap)
            return false;
        measured(line);
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
        if (first.width <= room && firstWordWidth(next, breaker) <= room)
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

// The line, its width measured.
Reflower::Line& Reflower::measured(Line& line) const
{
    if (line.narrow) {
        line.width = textWidth(m_section.substr(line.start + line.mail.prefixLength, line.length - line.mail.prefixLength));
        line.narrow = false;
    }
    return line;
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
        if (first.width <= m_widthCap && !first.narrow)
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

bool endsSection(std::size_t bytes, std::size_t lines, std::string_view content)
{
    if (bytes >= kSectionMaxBytes || lines >= kSectionMaxLines)
        return true;
    return (bytes >= kSectionBytes || lines >= kSectionLines) && isBlankMailLine(content);
}

std::size_t SectionScan::sectionEnd(std::string_view text)
{
    const std::string_view rest = text.substr(m_scanned);
    LineEndScanner scanner(rest);
    std::size_t start = 0; // in rest, of the next line
    for (std::size_t block = 0; block < rest.size(); block += 64) {
        std::uint64_t ends = scanner.ends(block);
        if (ends == 0)
            continue;
        // Where no section can end in the block, its lines are only counted.
        const std::size_t count = std::size_t(std::popcount(ends));
        if (m_scanned + block + 64 < kSectionBytes && m_lines + count < kSectionLines) {
            m_lines += count;
            start = block + std::size_t(63 - __builtin_clzll(ends)) + 1;
            continue;
        }
        for (; ends != 0; ends &= ends - 1) {
            const std::size_t next = block + std::size_t(__builtin_ctzll(ends)) + 1;
            // Only whole lines: a CR at the very end may be the first half of a CR LF.
            if (next == rest.size() && rest[next - 1] == '\r')
                break;
            const std::size_t breakLength = rest[next - 1] == '\n' && next - start >= 2 && rest[next - 2] == '\r' ? 2 : 1;
            const std::string_view content = rest.substr(start, next - breakLength - start);
            start = next;
            if (endsSection(m_scanned + next, ++m_lines, content)) {
                const std::size_t end = m_scanned + next;
                m_scanned = 0;
                m_lines = 0;
                return end;
            }
        }
    }
    m_scanned += start;
    return 0;
}

std::size_t completeSectionsLength(std::string_view text)
{
    SectionScan scan;
    std::size_t complete = 0;
    while (const std::size_t length = scan.sectionEnd(text.substr(complete)))
        complete += length;
    return complete;
}

} // namespace navrik
