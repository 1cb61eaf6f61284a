// SPDX-License-Identifier: MIT
// The quote stream on any bytes, in all three ways of breaking. At the width or smartly: lines
// carry the mark (and the quote prefix), join back to the input byte for byte, cut no cluster, and
// fit unless a single cluster (or, smart, a link). Re-flowed: see checkReflowed.
#include "core/Graphemes.h"
#include "core/LineBreak.h"
#include "core/MailLine.h"
#include "core/QuoteCommand.h"
#include "core/SmartBreaker.h"
#include "core/TextWidth.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

using namespace navrik;


void check(bool holds) { if (!holds) std::abort(); }

static bool holdsLink(std::string_view text)
{
    std::string lower(text); // link schemes in any case
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const char* const links[] = {"://", "mailto:", "www.", "\\\\"};
    return std::ranges::any_of(links, [&](const char* s) { return lower.find(s) != lower.npos; });
}

// What re-flow keeps: the characters but quote marks and blanks, and each blank line after them.
struct Kept {
    std::string characters;
    std::vector<std::pair<std::size_t, std::string_view>> blankLines;
    bool operator==(const Kept&) const = default;
};

// Of the output's lines after the mark, the input's blank lines count where they come in order.
static Kept kept(std::string_view text, std::string_view mark, const Kept* input = nullptr)
{
    Kept kept;
    LineSplitter lines(text);
    for (TextLine line; lines.next(line);) {
        check(line.content.starts_with(mark));
        const std::string_view content = line.content.substr(mark.size());
        const std::size_t count = kept.characters.size(), next = kept.blankLines.size();
        if (input ? next < input->blankLines.size() && input->blankLines[next] == std::pair(count, content)
                  : isBlankMailLine(content)) {
            kept.blankLines.emplace_back(count, content);
            continue;
        }
        for (std::size_t pos = 0; pos < content.size(); ++pos) {
            if (content.substr(pos, 3) == "\u3000" || content.substr(pos, 3) == "\uFF1E")
                pos += 2;
            else if (content[pos] != ' ' && content[pos] != '\t' && content[pos] != '>')
                kept.characters += content[pos];
        }
    }
    return kept;
}

// Re-flowed: every line has the mark, the characters but quote marks and blanks and the blank
// lines stay in order, and a line beyond the budget is an input line, a link or one cluster.
static void checkReflowed(std::string_view text, const std::string& mark, std::int64_t budget)
{
    const std::string quoted = quoteText(text, mark, budget, BreakStyle::Reflow);
    const Kept in = kept(text, {});
    check(kept(quoted, mark, &in) == in);
    std::set<std::string_view> inputLines;
    LineSplitter lines(text), outLines(quoted);
    for (TextLine line; lines.next(line);)
        inputLines.insert(line.content);
    for (TextLine line; outLines.next(line);) {
        const std::string_view rest = line.content.substr(mark.size());
        std::string_view text = rest.substr(quoteMarksLength(rest));
        while (text.ends_with(' ')) // a line's own blanks at its end stay with it
            text.remove_suffix(1);
        check(textWidth(rest) <= budget || inputLines.count(rest) || holdsLink(rest) || text.empty()
              || clusterCut(text, 0) >= text.size());
    }
}


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A few leading bytes choose the options, the rest is the text.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto byte = [&] { const int b = text.empty() ? 0 : std::uint8_t(text[0]); text.remove_prefix(std::min<std::size_t>(text.size(), 1)); return b; };
    std::string mark(text.substr(0, byte() % 8));
    text.remove_prefix(mark.size());
    std::erase_if(mark, [](char c) { return c == '\r' || c == '\n'; }); // the mark field holds one line
    const std::int64_t budget = byte() % 4 == 0 ? kUnlimitedLineBudget : std::int64_t(byte() % 40) - 2;
    const int style = byte() % 3;
    const bool smart = style == 1;
    if (style == 2) {
        checkReflowed(text, mark, budget);
        return 0;
    }
    const std::string quoted = quoteText(text, mark, budget, smart ? BreakStyle::Smart : BreakStyle::Columns);

    // Each input line comes out as output lines whose contents after the mark join to it.
    LineSplitter in(text), out(quoted);
    TextLine piece;
    for (TextLine line; in.next(line);) {
        std::string_view prefix = smart ? SmartBreaker::quotePrefix(line.content) : std::string_view();
        if (textWidth(prefix) * 2 > budget)
            prefix = {};
        std::string joined;
        do {
            const std::string carried = mark + std::string(joined.empty() ? std::string_view() : prefix);
            check(out.next(piece) && piece.content.starts_with(carried));
            check(joined.empty() || joined.size() >= line.content.size() || isClusterBoundary(line.content, joined.size()));
            const std::string_view rest = piece.content.substr(carried.size());
            check(textWidth(piece.content) - textWidth(mark) <= budget || rest.empty() || clusterCut(rest, 0) >= rest.size()
                  || (smart && holdsLink(rest)));
            joined += rest;
        } while (joined.size() < line.content.size());
        check(joined == line.content && piece.ending == line.ending);
    }
    check(!out.next(piece));
    return 0;
}
