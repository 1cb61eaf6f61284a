// SPDX-License-Identifier: MIT
#pragma once

#include "core/QuoteSink.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace navrik {

class Reflower;
class SmartBreaker;

// How a line wider than the budget is broken.
enum class BreakStyle {
    Columns, // as wide as the budget allows, whole clusters kept (splitLength)
    Smart,   // at word and Japanese line-break opportunities, links whole, quote prefix carried
             // (SmartBreaker)
    Reflow,  // the soft-wrapped lines of each paragraph joined first (Reflower), then broken as
             // Smart breaks, blanks at the breaks left out, no word alone on a last line;
             // verbatim lines (tables, code) go out whole
};

// Quotes text a line at a time: the mark goes in front of every line, and a line
// wider than the budget is broken into pieces in the given style. With smart breaking the pieces
// after the first of a line that starts with a quote prefix go out behind the mark and that
// prefix. Every line keeps its own break (CR LF, LF or CR) byte for byte; each piece but
// the last of a broken line gets that same break, and the pieces of a last line without a break
// get the break of the line before it (LF when there is none). The empty text after a final
// break is not a line and gets no mark.
//
// The result is exactly what the quote command's line-by-line rewrite of the buffer gives, in one
// pass. Re-flowed, the lines a paragraph is broken into take the break of its first line, its last
// one the break of its last line; each call takes whole sections (Reflower), or the end of the text.
class QuoteStream {
public:
    // previousEnding: the break of the line before the text, when the text is the rest of a
    // longer one that was cut after a complete line ("\r\n", "\n" or "\r").
    QuoteStream(std::string mark, std::int64_t budget, std::string_view previousEnding = "\n",
                BreakStyle style = BreakStyle::Columns);
    ~QuoteStream();

    // Quotes every line of text, which ends at the end of a line (a CR at its end is a break
    // of its own) or at the end of the whole text, into out as it goes.
    void quote(std::string_view text, QuoteSink& out);
    // The same, appending to a string.
    void quote(std::string_view text, std::string& out);

private:
    // Quotes one line whole when it fits (measured when it is longer in bytes than the
    // budget), else as quoteLine does; ending follows content.
    void quoteMeasured(std::string_view content, std::string_view ending, std::string_view pieceEnding,
                      QuoteSink& out);
    // Quotes one line that may be wider than the budget, each piece but the last ending in
    // pieceEnding. A line that fits whole comes out as the mark, the line and its break without
    // coming here.
    void quoteLine(std::string_view content, std::string_view ending, std::string_view pieceEnding,
                   QuoteSink& out);
    void quoteReflowed(std::string_view text, QuoteSink& out);

    // Puts the mark in front of a line: most marks are short enough to go in one store.
    void appendMark(QuoteSink& out) const
    {
        if (m_mark.size() <= sizeof m_markBlock)
            out.appendShort(m_markBlock, m_mark.size());
        else
            out.append(m_mark);
    }

    std::string m_mark;
    char m_markBlock[16] = {}; // the mark when it fits
    std::int64_t m_budget;
    std::string_view m_previousEnding;
    BreakStyle m_style;
    std::unique_ptr<SmartBreaker> m_breaker; // made for the first line that needs it
    std::unique_ptr<Reflower> m_reflower;
    std::vector<std::size_t> m_breaks;
};

} // namespace navrik
