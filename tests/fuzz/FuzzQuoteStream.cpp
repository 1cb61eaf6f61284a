// SPDX-License-Identifier: MIT
// The quote stream on any bytes, in all three ways of breaking. At the width or smartly: each
// output line starts with the mark (and a smart continuation with the carried quote prefix),
// without those and the inserted breaks the output is the input byte for byte, no break falls
// inside a cluster, and no line is wider than the mark plus the budget unless it holds a single
// cluster (or, smart, a link). Re-flowed: see checkReflowed.
#include "FuzzInput.h"

#include "core/LineBreak.h"
#include "core/Graphemes.h"
#include "core/MailLine.h"
#include "core/QuoteCommand.h"
#include "core/SmartBreaker.h"
#include "core/TextWidth.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

using namespace navrik;

namespace {

bool holdsLink(std::string_view text)
{
    std::string lower(text); // link schemes in any case
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower.find("://") != lower.npos || lower.find("mailto:") != lower.npos || lower.find("www.") != lower.npos
        || lower.find("\\\\") != lower.npos;
}

// What re-flow must keep of text: its characters but quote marks and blanks, in order, and its
// blank lines, each with the count of those characters before it.
struct Kept {
    std::string characters;
    std::vector<std::pair<std::size_t, std::string_view>> blankLines;
};

// The text's, or the output's lines after the mark: of those, the blank lines of the text count
// as its blank lines where they come after the same characters.
Kept kept(std::string_view text, std::string_view mark, const Kept* input = nullptr)
{
    Kept kept;
    LineSplitter lines(text);
    for (TextLine line; lines.next(line);) {
        std::string_view content = line.content;
        if (!content.starts_with(mark))
            std::abort();
        content.remove_prefix(mark.size());
        const std::size_t count = kept.characters.size(), next = kept.blankLines.size();
        if (input ? next < input->blankLines.size() && input->blankLines[next] == std::pair(count, content)
                  : isBlankMailLine(content)) {
            kept.blankLines.emplace_back(count, content);
            continue;
        }
        for (std::size_t pos = 0; pos < content.size(); ++pos) {
            const char c = content[pos];
            if (content.substr(pos, 3) == "\u3000" || content.substr(pos, 3) == "\uFF1E")
                pos += 2;
            else if (c != ' ' && c != '\t' && c != '>')
                kept.characters += c;
        }
    }
    return kept;
}

// Re-flowed: every line has the mark, the characters but quote marks and blanks and the blank
// lines stay in order, and a line beyond the budget is an input line, a link or one cluster.
void checkReflowed(std::string_view text, const std::string& mark, std::int64_t budget)
{
    const std::string quoted = quoteText(text, mark, budget, BreakStyle::Reflow);
    const Kept in = kept(text, {}), out = kept(quoted, mark, &in);
    if (in.characters != out.characters || in.blankLines != out.blankLines)
        std::abort();
    std::set<std::string_view> inputLines;
    LineSplitter lines(text), outLines(quoted);
    for (TextLine line; lines.next(line);)
        inputLines.insert(line.content);
    for (TextLine line; outLines.next(line);) {
        const std::string_view rest = line.content.substr(mark.size());
        std::string_view text = rest.substr(quoteMarksLength(rest));
        while (text.ends_with(' ')) // a line's own blanks at its end stay with it
            text.remove_suffix(1);
        if (textWidth(rest) > budget && !inputLines.count(rest) && !holdsLink(rest) && !text.empty()
            && clusterCut(text, 0) < text.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    std::string mark(input.take(input.byte() % 8));
    std::erase_if(mark, [](char c) { return c == '\r' || c == '\n'; }); // the mark field holds one line
    const std::int64_t budget = input.byte() % 4 == 0 ? kUnlimitedLineBudget : std::int64_t(input.byte() % 40) - 2;
    const int style = input.byte() % 3;
    const bool smart = style == 1;
    const std::string_view text = input.rest();
    if (style == 2) {
        checkReflowed(text, mark, budget);
        return 0;
    }
    const std::string quoted = quoteText(text, mark, budget, smart ? BreakStyle::Smart : BreakStyle::Columns);

    // Walk the input lines and the output lines side by side: each input line comes out as one or
    // more output lines whose contents after the mark join to it.
    LineSplitter in(text), out(quoted);
    TextLine piece;
    for (TextLine line; in.next(line);) {
        std::string_view prefix = smart ? SmartBreaker::quotePrefix(line.content) : std::string_view();
        if (textWidth(prefix) * 2 > budget)
            prefix = {};
        std::string joined;
        do {
            const std::string carried = mark + std::string(joined.empty() ? std::string_view() : prefix);
            if (!out.next(piece) || !piece.content.starts_with(carried))
                std::abort();
            if (!joined.empty() && joined.size() < line.content.size() && !isClusterBoundary(line.content, joined.size()))
                std::abort();
            const std::string_view rest = piece.content.substr(carried.size());
            const bool link = smart && holdsLink(rest);
            if (textWidth(piece.content) - textWidth(mark) > budget && !rest.empty() && clusterCut(rest, 0) < rest.size() && !link)
                std::abort();
            joined += rest;
        } while (joined.size() < line.content.size());
        if (joined != line.content || piece.ending != line.ending)
            std::abort();
    }
    if (out.next(piece))
        std::abort();
    return 0;
}
