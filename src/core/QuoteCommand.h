// SPDX-License-Identifier: MIT
#pragma once

#include "core/QuoteStream.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace navrik {

class LineModel;

// The quoting options as the quote command reads them each time it runs.
struct QuoteOptions {
    std::string mark = "> ";    // quote mark, any text, empty included
    bool autoPaste = false;     // paste the clipboard into the buffer first
    bool adjustLines = false;   // break lines wider than charactersPerLine
    int charactersPerLine = 70; // columns of a quoted line, quote mark included
    bool smartBreaks = false;   // break at word and Japanese line-break opportunities (SmartBreaker)
    bool reflow = false;        // join soft-wrapped lines first, then break smartly (Reflower)
};

// How the options break lines: re-flowed, smartly or at the width. Without line adjustment
// nothing is broken, so nothing is re-flowed either.
BreakStyle breakStyle(const QuoteOptions& options);

// The budget of a run without line adjustment: no line is ever broken, whatever its length.
inline constexpr std::int64_t kUnlimitedLineBudget = std::numeric_limits<std::int64_t>::max();

// The columns of a buffer line that may follow the quote mark on one output line: the
// characters-per-line value minus the mark's width with line adjustment on (it may be 0 or
// less; each output line then holds one character), kUnlimitedLineBudget with it off.
std::int64_t lineBudget(const QuoteOptions& options);

// The text with the mark in front of every line and each line wider than the budget broken into
// pieces (see QuoteStream) in the given style, worked out in one pass.
std::string quoteText(std::string_view text, std::string_view mark, std::int64_t budget,
                      BreakStyle style = BreakStyle::Columns);

// Called with true when a command starts its work and again between its long steps (so a window
// can show the busy pointer and repaint meanwhile), and once with false when it is done (also
// when it fails).
using BusyPointer = std::function<void(bool busy)>;

// The paste command: when the clipboard offers text, the buffer's whole text becomes it;
// otherwise the buffer stays as it was and the result is false.
bool pasteCommand(LineModel& buffer, const BusyPointer& busy = {});

// The quote command: hide the buffer, busy pointer on, the paste if auto paste is on, the budget,
// every line quoted (in one rewrite of the whole text, which gives what rewriting the buffer line
// by line would), show the buffer, busy pointer off, select all, copy. With auto paste on the
// clipboard's text is quoted before it reaches the buffer, which is filled once; a clipboard
// without text then leaves everything as it was. Should anything throw, the buffer is shown again
// and the busy pointer taken off before the error goes on.
void quoteCommand(LineModel& buffer, const QuoteOptions& options, const BusyPointer& busy = {});

// The paste-and-quote command: the paste command, then the quote command. With auto paste on the
// quote command's own paste is the only one: a first paste would be replaced unseen.
void pasteAndQuoteCommand(LineModel& buffer, const QuoteOptions& options,
                          const BusyPointer& busy = {});

} // namespace navrik
