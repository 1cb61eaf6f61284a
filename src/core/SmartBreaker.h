// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace navrik {

// Breaks a line the way a reader of Japanese mail expects, for smart breaking:
// - Breaks fall at the line-break opportunities of Unicode's rules with the strict Japanese
//   rules (ICU's "ja@lb=strict"), so no piece starts with a closing bracket, 、。・ー, a small
//   kana or another character that may not begin a line, and none ends with an opening bracket.
// - Each piece is the longest that ends at an opportunity and fits the budget: a character that
//   may not begin a line pushes the break earlier, never past the budget. Where no opportunity
//   fits (a word wider than the budget) the word is cut as splitLength cuts it, whole clusters
//   kept.
// - A link (http://, https://, ftp://, mailto:, www. or a network path \\server\share, up to
//   the first blank, closing bracket or non-ASCII character) is never cut: when it does not fit
//   where it stands it starts the next piece, and it stays whole there even when wider than the
//   budget.
// - A line that starts with a quote prefix (a run of '>' and '＞', each optionally followed by
//   blanks) carries it: every piece after the first goes out behind that prefix, which counts
//   in its budget. A prefix wider than half the budget is not carried, so a line of nothing but
//   marks cannot multiply.
// Nothing is lost: a blank at a break ends the piece before it, and the pieces joined give back
// the line byte for byte.
class SmartBreaker {
public:
    SmartBreaker();
    ~SmartBreaker();
    SmartBreaker(const SmartBreaker&) = delete;
    SmartBreaker& operator=(const SmartBreaker&) = delete;

    // The quote prefix at the start of line, empty when it has none. Blanks are spaces, tabs
    // and ideographic spaces.
    static std::string_view quotePrefix(std::string_view line);

    // Breaks line for a budget of columns: breaks gets the byte offsets where the pieces after
    // the first start (none when the line fits). Returns the prefix carried before each of those
    // pieces; the first piece has the whole budget, the others the budget less the prefix.
    std::string_view breakLine(std::string_view line, std::int64_t budget, std::vector<std::size_t>& breaks);

    // Breaks a re-flowed paragraph the same way, with two more rules. A blank at a break counts
    // for nothing: the caller leaves the blanks around each break out. And the last piece is
    // never a single word, nor narrower than five full-width characters, while moving the break
    // before it back by an opportunity (up to four times) keeps that piece within its budget and
    // the piece before it at least half full. The first prefixLength bytes are the quote prefix
    // carried (as breakLine carries it, not when wider than half the budget).
    std::string_view breakParagraph(std::string_view text, std::size_t prefixLength, std::int64_t budget,
                                    std::vector<std::size_t>& breaks);

    // The end of text's first word: the first place after its start where a piece of it could
    // end by these rules (a link counts as one word), text.size() when there is none. Only the
    // first few dozen characters are looked at; a longer word ends where that look ends.
    std::size_t firstWordEnd(std::string_view text);

private:
    using Link = std::pair<std::size_t, std::size_t>; // a link's start and end
    struct Icu;

    std::string_view breakPieces(std::string_view line, std::string_view prefix, std::int64_t budget,
                                 std::vector<std::size_t>& breaks, bool reflow);
    void avoidOrphan(std::string_view line, std::size_t after, std::int64_t prefixWidth, std::int64_t budget,
                     std::vector<std::size_t>& breaks);
    std::size_t firstOpportunity(std::string_view line, std::size_t from, std::size_t to);
    std::size_t lastOpportunity(std::string_view line, std::size_t start, std::size_t after, std::size_t fit);
    std::size_t cutWord(std::string_view line, std::size_t start, std::int64_t budget);
    std::size_t breakAfterLink(std::string_view line, std::size_t start, const Link& link);
    bool mayStartLink(std::string_view line, std::size_t pos, std::size_t after) const;
    bool insideLink(std::size_t pos) const;

    std::unique_ptr<Icu> m_icu;
    std::vector<Link> m_links;
    std::vector<std::size_t> m_opportunities;
};

} // namespace navrik
