// SPDX-License-Identifier: MIT
#include "core/SmartBreaker.h"

#include "core/Graphemes.h"
#include "core/IcuText.h"
#include "core/MailCharacters.h"
#include "core/TextWidth.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace navrik {

namespace {

constexpr std::string_view kFullWidthMark = "\uFF1E";     // ＞
constexpr std::string_view kIdeographicSpace = "\u3000";

// Characters looked past when ICU decides a break: enough for every rule that looks ahead.
constexpr int kLookahead = 4;
// Characters after a link within which its piece may end at an opportunity rather than
// right at its end (a closing bracket or 。 after a link stays with it).
constexpr int kAfterLink = 8;
// A last piece narrower than this takes more from the piece before it, re-flowed.
constexpr std::int64_t kShortLast = 10;
// Characters looked at for a line's first word: more than any wrap column holds.
constexpr int kWordLook = 60;

bool startsWithNoCase(std::string_view text, std::size_t pos, std::string_view word)
{
    if (text.size() - pos < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[pos + i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return true;
}

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A link runs over printable ASCII up to a blank or a closing bracket.
bool continuesLink(char c)
{
    return c > ' ' && c < 0x7F && c != ')' && c != ']' && c != '}' && c != '>';
}

// Where a link starts when the colon at colon ends one of the link schemes (not run on from a
// word); npos when it does not.
std::size_t linkStartAtColon(std::string_view line, std::size_t colon)
{
    using namespace std::string_view_literals;
    static constexpr std::string_view kSchemes[] = {"http://"sv, "https://"sv, "ftp://"sv, "mailto:"sv};
    for (const std::string_view scheme : kSchemes) {
        const std::size_t length = scheme.find(':');
        if (colon >= length && startsWithNoCase(line, colon - length, scheme)
            && (colon == length || !isAsciiAlnum(line[colon - length - 1])))
            return colon - length;
    }
    return std::string_view::npos;
}

// The next link from pos on that has no scheme: "www." not run on from a word, or a network
// path (\\server\share) not run on from another backslash.
std::size_t nextBareLink(std::string_view line, std::size_t pos)
{
    std::size_t www = line.find("www.", pos);
    while (www != std::string_view::npos && www > 0 && isAsciiAlnum(line[www - 1]))
        www = line.find("www.", www + 1);
    std::size_t path = line.find("\\\\", pos);
    while (path != std::string_view::npos && path > 0 && line[path - 1] == '\\')
        path = line.find("\\\\", path + 1);
    return std::min(www, path);
}

// The links of line, in order: from each scheme, "www." or network path to the first byte that
// ends one.
void findLinks(std::string_view line, std::vector<std::pair<std::size_t, std::size_t>>& links)
{
    links.clear();
    std::size_t colon = line.find(':');
    std::size_t www = nextBareLink(line, 0);
    // The two searches run on ahead, each taken when it is the nearer.
    for (std::size_t from = 0; colon != std::string_view::npos || www != std::string_view::npos;) {
        std::size_t start = std::string_view::npos;
        if (colon != std::string_view::npos && (www == std::string_view::npos || colon < www)) {
            start = linkStartAtColon(line, colon);
            if (start == std::string_view::npos || start < from) {
                colon = line.find(':', colon + 1);
                continue;
            }
        } else {
            start = www;
        }
        std::size_t end = start;
        while (end < line.size() && continuesLink(line[end]))
            ++end;
        links.emplace_back(start, end);
        from = end;
        colon = line.find(':', end);
        www = nextBareLink(line, end);
    }
}

// The start of the ASCII word that holds limit, when the piece may end there for certain: the
// word runs back to a run of spaces over letters and digits only (between which no break falls)
// and the spaces do not follow an opening bracket, so the start is a break opportunity whatever
// else the line holds. npos when that is not plain, and the iterator must tell.
std::size_t asciiWordStart(std::string_view line, std::size_t after, std::size_t limit)
{
    if (!isAsciiAlnum(line[limit]))
        return std::string_view::npos;
    std::size_t start = limit;
    while (start > after && isAsciiAlnum(line[start - 1]))
        --start;
    if (start <= after || line[start - 1] != ' ')
        return std::string_view::npos;
    std::size_t blanks = start - 1;
    while (blanks > 0 && line[blanks - 1] == ' ')
        --blanks;
    if (blanks > 0) {
        const char before = line[blanks - 1];
        if ((before & 0x80) || before == '(' || before == '[' || before == '{')
            return std::string_view::npos;
    }
    return start;
}

int lineBreakClass(char32_t c)
{
    return u_getIntPropertyValue(UChar32(c), UCHAR_LINE_BREAK);
}

// Whether a piece may end at pos by the Japanese rules as they read the two characters there:
// the next one may begin a line and the one before may end it. The iterator already keeps to
// this, except after blanks (Unicode lets "ー" or "。" begin a line after a space); mail text
// is better off without those lines too.
bool keepsJapaneseRules(std::string_view line, std::size_t pos)
{
    const Utf8Char next = characterAt(line, pos);
    if (next.valid) {
        switch (lineBreakClass(next.code)) {
        case U_LB_CLOSE_PUNCTUATION:
        case U_LB_CLOSE_PARENTHESIS:
        case U_LB_EXCLAMATION:
        case U_LB_INFIX_NUMERIC:
        case U_LB_NONSTARTER:
        case U_LB_CONDITIONAL_JAPANESE_STARTER:
            return false;
        default:
            break;
        }
    }
    const Utf8Char before = characterAt(line, characterStartBefore(line, pos));
    return !before.valid || lineBreakClass(before.code) != U_LB_OPEN_PUNCTUATION;
}

// The bytes of the blank (a space or an ideographic space) that starts or ends at pos, 0 when
// there is none: blanks that re-flow leaves out at a break.
std::size_t blankAt(std::string_view line, std::size_t pos)
{
    if (pos < line.size() && line[pos] == ' ')
        return 1;
    return line.substr(pos, kIdeographicSpace.size()) == kIdeographicSpace ? kIdeographicSpace.size() : 0;
}

std::size_t blankBefore(std::string_view line, std::size_t pos)
{
    if (pos > 0 && line[pos - 1] == ' ')
        return 1;
    return pos >= kIdeographicSpace.size() && line.substr(pos - kIdeographicSpace.size(), kIdeographicSpace.size()) == kIdeographicSpace
        ? kIdeographicSpace.size()
        : 0;
}

// A word alone: no blank inside, and one run of ASCII or one other character that is not
// punctuation (a word of ASCII may hold an opportunity after a hyphen and still be one).
bool isOneWord(std::string_view piece)
{
    int words = 0;
    for (std::size_t pos = 0; pos < piece.size() && words < 2;) {
        const Utf8Char c = characterAt(piece, pos);
        if (c.code == ' ')
            return false;
        if (c.code < 0x80 ? pos == 0 || static_cast<unsigned char>(piece[pos - 1]) >= 0x80
                          : !(mailCharacter(c) & kPunctuation))
            ++words;
        pos += c.length;
    }
    return words < 2;
}

// The offset that lies the given number of characters after pos, or the line's end.
std::size_t offsetEndingCharacters(std::string_view line, std::size_t pos, int characters)
{
    for (int i = 0; i < characters && pos < line.size(); ++i)
        pos += characterAt(line, pos).length;
    return pos;
}

} // namespace

// ICU's line iterator with the strict Japanese rules, cloned from one made once, and the text
// it is set on.
struct SmartBreaker::Icu {
    Icu()
    {
        static const std::unique_ptr<icu::BreakIterator> prototype = [] {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::BreakIterator> made(
                icu::BreakIterator::createLineInstance(icu::Locale("ja@lb=strict"), status));
            if (U_FAILURE(status))
                made.reset();
            return made;
        }();
        if (prototype)
            iterator.reset(prototype->clone());
    }

    // Fills opportunities with the break opportunities ICU finds in line[from, to) after from,
    // up to limit, counting from from as the start of a line.
    void opportunities(std::string_view line, std::size_t from, std::size_t to, std::size_t limit,
                       std::vector<std::size_t>& found)
    {
        found.clear();
        if (!iterator)
            return;
        text.assign(line, from, to);
        UErrorCode status = U_ZERO_ERROR;
        text.attach(*iterator, status);
        if (U_FAILURE(status))
            return;
        for (std::int32_t unit = iterator->next(); unit != icu::BreakIterator::DONE; unit = iterator->next()) {
            const std::size_t pos = text.byteAt(unit);
            if (pos > limit)
                break;
            found.push_back(pos);
        }
    }

    std::unique_ptr<icu::BreakIterator> iterator;
    IcuText text;
};

SmartBreaker::SmartBreaker() : m_icu(std::make_unique<Icu>()) {}

SmartBreaker::~SmartBreaker() = default;

std::string_view SmartBreaker::quotePrefix(std::string_view line)
{
    std::size_t pos = 0;
    for (;;) {
        if (pos < line.size() && line[pos] == '>')
            ++pos;
        else if (line.substr(pos).starts_with(kFullWidthMark))
            pos += kFullWidthMark.size();
        else
            break;
        for (;;) {
            if (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
                ++pos;
            else if (line.substr(pos).starts_with(kIdeographicSpace))
                pos += kIdeographicSpace.size();
            else
                break;
        }
    }
    return line.substr(0, pos);
}

std::string_view SmartBreaker::breakLine(std::string_view line, std::int64_t budget, std::vector<std::size_t>& breaks)
{
    return breakPieces(line, quotePrefix(line), budget, breaks, false);
}

std::string_view SmartBreaker::breakParagraph(std::string_view text, std::size_t prefixLength, std::int64_t budget,
                                              std::vector<std::size_t>& breaks)
{
    return breakPieces(text, text.substr(0, prefixLength), budget, breaks, true);
}

std::string_view SmartBreaker::breakPieces(std::string_view line, std::string_view prefix, std::int64_t budget,
                                           std::vector<std::size_t>& breaks, bool reflow)
{
    breaks.clear();
    std::int64_t prefixWidth = textWidth(prefix);
    // The first piece never ends inside or right after the line's own prefix: that piece would
    // hold nothing of the text.
    std::size_t after = reflow ? quotePrefix(line).size() : prefix.size();
    if (prefixWidth * 2 > budget) {
        prefix = {};
        prefixWidth = 0;
        after = 0;
    }
    findLinks(line, m_links);

    for (std::size_t start = 0;;) {
        const std::int64_t pieceBudget = start == 0 ? budget : budget - prefixWidth;
        const std::string_view rest = line.substr(start);
        if (std::int64_t(rest.size()) <= pieceBudget)
            break;
        std::size_t fit = start + fitLength(rest, pieceBudget);
        if (fit == line.size())
            break;
        // Re-flowed, blanks at the break are left out, so the piece may end after them.
        if (reflow) {
            while (const std::size_t n = blankAt(line, fit))
                fit += n;
            if (fit == line.size())
                break;
        }
        std::size_t head = lastOpportunity(line, start, start == 0 ? after : start, fit);
        if (head == 0)
            head = cutWord(line, start, pieceBudget);
        if (head >= line.size())
            break;
        breaks.push_back(head);
        start = head;
    }
    if (reflow)
        avoidOrphan(line, after, prefixWidth, budget, breaks);
    return prefix;
}

// Moves the last break back, an opportunity at a time, while the last piece holds only one word
// or is narrower than five full-width characters.
void SmartBreaker::avoidOrphan(std::string_view line, std::size_t after, std::int64_t prefixWidth,
                               std::int64_t budget, std::vector<std::size_t>& breaks)
{
    std::size_t end = line.size();
    while (const std::size_t n = blankBefore(line, end))
        end -= n;
    for (int moves = 0; moves < 4 && !breaks.empty(); ++moves) {
        const std::size_t last = breaks.back();
        if (end <= last)
            return;
        std::size_t lastStart = last;
        while (const std::size_t n = blankAt(line, lastStart))
            lastStart += n;
        // No character takes more than three bytes a column.
        const std::string_view piece = line.substr(lastStart, end - lastStart);
        const bool wide = piece.size() >= 3 * kShortLast || fitLength(piece, kShortLast - 1) < piece.size();
        if (wide && !isOneWord(piece))
            return;
        const std::size_t previous = breaks.size() > 1 ? breaks[breaks.size() - 2] : 0;
        const std::size_t from = previous == 0 ? after : previous;
        std::size_t previousEnd = last;
        while (const std::size_t n = blankBefore(line, previousEnd))
            previousEnd -= n;
        if (previousEnd <= from)
            return;
        const std::size_t moved = lastOpportunity(line, previous, from, characterStartBefore(line, previousEnd));
        if (moved <= from || moved >= last)
            return;
        std::size_t movedStart = moved, movedEnd = moved;
        while (const std::size_t n = blankAt(line, movedStart))
            movedStart += n;
        while (const std::size_t n = blankBefore(line, movedEnd))
            movedEnd -= n;
        // The last piece within its budget, the one before at least half its budget wide.
        const std::string_view moving = line.substr(movedStart, end - movedStart), kept = line.substr(previous, movedEnd - previous);
        const std::int64_t half = ((previous == 0 ? budget : budget - prefixWidth) + 1) / 2;
        if (fitLength(moving, budget - prefixWidth) < moving.size() || fitLength(kept, half - 1) == kept.size())
            return;
        breaks.back() = moved;
    }
}

std::size_t SmartBreaker::firstWordEnd(std::string_view text)
{
    if (text.empty())
        return 0;
    const std::string_view look = text.substr(0, offsetEndingCharacters(text, 0, kWordLook));
    findLinks(look, m_links);
    if (!m_links.empty() && m_links.front().first == 0)
        return m_links.front().second;
    return firstOpportunity(look, 0, look.size());
}

// The first place in (from, to) where a piece starting at from may end, to when there is none.
std::size_t SmartBreaker::firstOpportunity(std::string_view line, std::size_t from, std::size_t to)
{
    // The same two shortcuts as lastOpportunity takes, where they hold from the start: a word of
    // ASCII letters and digits ends at the spaces after it, and two ideographs may be parted.
    if (isAsciiAlnum(line[from])) {
        std::size_t pos = from;
        while (pos < to && isAsciiAlnum(line[pos]))
            ++pos;
        if (pos < to && line[pos] == ' ') {
            while (pos < to && line[pos] == ' ')
                ++pos;
            if (pos < to && isAsciiAlnum(line[pos]) && !insideLink(pos))
                return pos;
        }
    } else {
        const Utf8Char first = characterAt(line, from);
        const std::size_t second = from + first.length;
        if (first.valid && second < to && lineBreakClass(first.code) == U_LB_IDEOGRAPHIC) {
            const Utf8Char next = characterAt(line, second);
            if (next.valid && lineBreakClass(next.code) == U_LB_IDEOGRAPHIC && isClusterBoundary(line, second))
                return second;
        }
    }
    m_icu->opportunities(line, from, offsetEndingCharacters(line, to, kLookahead), to, m_opportunities);
    for (const std::size_t pos : m_opportunities) {
        if (pos >= to)
            break;
        if (pos > from && !insideLink(pos) && keepsJapaneseRules(line, pos) && isClusterBoundary(line, pos))
            return pos;
    }
    return to;
}

// The last place after after and at or before fit where the piece starting at start may end,
// or 0 when there is none.
std::size_t SmartBreaker::lastOpportunity(std::string_view line, std::size_t start, std::size_t after, std::size_t fit)
{
    std::size_t limit = fit;
    for (const Link& link : m_links) {
        // A link that does not fit here starts the next piece (below), or, where it cannot (it
        // follows an opening bracket), the piece ends before it.
        if (link.first < fit && fit < link.second)
            limit = link.first;
    }
    if (limit <= after)
        return 0;

    std::size_t best = 0;
    for (const Link& link : m_links)
        if (link.first <= limit && mayStartLink(line, link.first, after))
            best = std::max(best, link.first);

    // Two shortcuts where the rules leave no doubt spare running the iterator over the piece:
    // two ideographs (kanji, kana) may always be parted, and an ASCII word starts after spaces.
    if (const std::size_t word = asciiWordStart(line, after, limit); word != std::string_view::npos)
        return std::max(word, best);
    // When the piece would end right before a character that may not begin a line (。、」ー and
    // the like), the break moves before the ideograph that precedes it, if the one before that
    // is an ideograph too: no other place lies between.
    if (limit == fit) {
        const std::size_t beforeStart = characterStartBefore(line, fit);
        const Utf8Char before = characterAt(line, beforeStart);
        const Utf8Char next = characterAt(line, fit);
        if (before.valid && next.valid && lineBreakClass(before.code) == U_LB_IDEOGRAPHIC) {
            if (lineBreakClass(next.code) == U_LB_IDEOGRAPHIC && isClusterBoundary(line, fit))
                return fit;
            if (beforeStart > after && beforeStart > best && !keepsJapaneseRules(line, fit)) {
                const Utf8Char first = characterAt(line, characterStartBefore(line, beforeStart));
                if (first.valid && lineBreakClass(first.code) == U_LB_IDEOGRAPHIC
                    && isClusterBoundary(line, beforeStart))
                    return beforeStart;
            }
        }
    }

    m_icu->opportunities(line, start, offsetEndingCharacters(line, limit, kLookahead), limit, m_opportunities);
    for (auto it = m_opportunities.rbegin(); it != m_opportunities.rend(); ++it) {
        const std::size_t pos = *it;
        if (pos <= after || pos <= best)
            break;
        if (!insideLink(pos) && keepsJapaneseRules(line, pos) && isClusterBoundary(line, pos))
            return pos;
    }
    return best;
}

// The end of a piece starting at start when no opportunity fits the budget: the word is cut
// as the default way cuts it, unless that cut falls inside a link. Then the word is cut before
// the link and the opening brackets right before it, or, when the link starts the piece, the
// piece holds the whole link.
std::size_t SmartBreaker::cutWord(std::string_view line, std::size_t start, std::int64_t budget)
{
    const std::size_t cut = start + splitLength(line.substr(start), budget);
    for (const Link& link : m_links) {
        if (link.first < cut && cut < link.second) {
            std::size_t before = link.first;
            while (before > start) {
                const std::size_t previous = characterStartBefore(line, before);
                const Utf8Char c = characterAt(line, previous);
                if (!c.valid || lineBreakClass(c.code) != U_LB_OPEN_PUNCTUATION)
                    break;
                before = previous;
            }
            if (before > start && isClusterBoundary(line, before))
                return before;
            return breakAfterLink(line, start, link);
        }
    }
    return cut;
}

// The end of a piece that holds a whole link: the first opportunity at the link's end or a few
// characters after it, else the end of the cluster that ends the link.
std::size_t SmartBreaker::breakAfterLink(std::string_view line, std::size_t start, const Link& link)
{
    if (link.second >= line.size())
        return line.size();
    const std::size_t reach = offsetEndingCharacters(line, link.second, kAfterLink);
    const std::size_t to = offsetEndingCharacters(line, reach, kLookahead);
    m_icu->opportunities(line, start, to, reach, m_opportunities);
    for (const std::size_t pos : m_opportunities) {
        if (pos == line.size())
            return pos;
        if (pos >= link.second && pos < to && !insideLink(pos) && keepsJapaneseRules(line, pos)
            && isClusterBoundary(line, pos))
            return pos;
    }
    // A mark that joins the link's last character (a combining accent) stays with the link.
    std::size_t end = link.second;
    while (end < line.size() && !isClusterBoundary(line, end))
        end += characterAt(line, end).length;
    return end;
}

// A link may start a piece unless it follows an opening bracket, which must not end one.
bool SmartBreaker::mayStartLink(std::string_view line, std::size_t pos, std::size_t after) const
{
    if (pos <= after)
        return false;
    const Utf8Char before = characterAt(line, characterStartBefore(line, pos));
    if (before.valid && lineBreakClass(before.code) == U_LB_OPEN_PUNCTUATION)
        return false;
    return isClusterBoundary(line, pos);
}

bool SmartBreaker::insideLink(std::size_t pos) const
{
    for (const Link& link : m_links)
        if (link.first < pos && pos < link.second)
            return true;
    return false;
}

} // namespace navrik
