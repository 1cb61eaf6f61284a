// The quote stream on any bytes: every output line starts with the mark, removing the marks and
// the breaks the stream inserted gives back the input byte for byte, and no output line is wider
// than the mark plus the budget unless it holds a single character.
#include "FuzzInput.h"

#include "core/LineBreak.h"
#include "core/QuoteCommand.h"
#include "core/TextWidth.h"

#include <cstdlib>
#include <string>

using namespace navrik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    std::string mark(input.take(input.byte() % 8));
    std::erase_if(mark, [](char c) { return c == '\r' || c == '\n'; }); // the mark field holds one line
    const std::int64_t budget = input.byte() % 4 == 0 ? kUnlimitedLineBudget : std::int64_t(input.byte() % 40) - 2;
    const std::string_view text = input.rest();
    const std::string quoted = quoteText(text, mark, budget);

    // Walk the input lines and the output lines side by side: each input line comes out as one or
    // more output lines whose contents after the mark join to it.
    LineSplitter in(text), out(quoted);
    TextLine piece;
    for (TextLine line; in.next(line);) {
        std::string joined;
        do {
            if (!out.next(piece) || !piece.content.starts_with(mark))
                std::abort();
            const std::string_view rest = piece.content.substr(mark.size());
            if (textWidth(rest) > budget && characterAt(rest, 0).length < rest.size())
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
