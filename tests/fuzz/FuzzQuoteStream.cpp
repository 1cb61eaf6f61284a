// SPDX-License-Identifier: MIT
// The quote stream on any bytes, in both ways of breaking: every output line starts with the mark
// (and, with smart breaking, a continuation with the line's carried quote prefix), removing those
// and the breaks the stream inserted gives back the input byte for byte, and no output line is
// wider than the mark plus the budget unless it holds a single cluster (or, smart, a link), and
// no break falls inside a cluster.
#include "FuzzInput.h"

#include "core/LineBreak.h"
#include "core/Graphemes.h"
#include "core/QuoteCommand.h"
#include "core/SmartBreaker.h"
#include "core/TextWidth.h"

#include <cctype>
#include <cstdlib>
#include <string>

using namespace navrik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    std::string mark(input.take(input.byte() % 8));
    std::erase_if(mark, [](char c) { return c == '\r' || c == '\n'; }); // the mark field holds one line
    const std::int64_t budget = input.byte() % 4 == 0 ? kUnlimitedLineBudget : std::int64_t(input.byte() % 40) - 2;
    const bool smart = input.byte() % 2 == 1;
    const std::string_view text = input.rest();
    const std::string quoted = quoteText(text, mark, budget, smart);

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
            std::string lower(rest); // link schemes in any case
            for (char& c : lower)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            const bool link = smart && (lower.find("://") != lower.npos || lower.find("mailto:") != lower.npos
                                        || lower.find("www.") != lower.npos);
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
