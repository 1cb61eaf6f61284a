// SPDX-License-Identifier: MIT
#include "core/QuoteCommand.h"

#include "core/LineModel.h"
#include "core/QuoteStream.h"
#include "core/Reflower.h"
#include "core/TextWidth.h"

#include <memory>
#include <utility>

namespace navrik {

namespace {

// Tells the window that the command is busy, at its start and again between its long steps (so
// the window can repaint).
void busyStep(const BusyPointer& busy)
{
    if (busy)
        busy(true);
}

struct NotBusy {
    void operator()(const BusyPointer* busy) const
    {
        if (*busy)
            (*busy)(false);
    }
};

// The command's busy time: busy now, and done once it ends, on the normal path or while unwinding.
std::unique_ptr<const BusyPointer, NotBusy> busyScope(const BusyPointer& busy)
{
    busyStep(busy);
    return std::unique_ptr<const BusyPointer, NotBusy>(&busy);
}

struct ShowAgain {
    void operator()(LineModel* buffer) const { buffer->show(); }
};

} // namespace

std::int64_t lineBudget(const QuoteOptions& options)
{
    if (!options.adjustLines)
        return kUnlimitedLineBudget;
    return std::int64_t(options.charactersPerLine) - textWidth(options.mark);
}

BreakStyle breakStyle(const QuoteOptions& options)
{
    if (!options.adjustLines)
        return BreakStyle::Columns;
    if (options.reflow)
        return BreakStyle::Reflow;
    return options.smartBreaks ? BreakStyle::Smart : BreakStyle::Columns;
}

std::string quoteText(std::string_view text, std::string_view mark, std::int64_t budget, BreakStyle style)
{
    std::string out;
    QuoteStream(std::string(mark), budget, "\n", style).quote(text, out);
    return out;
}

bool pasteCommand(LineModel& buffer, const BusyPointer& busy)
{
    const auto scope = busyScope(busy);
    return buffer.replaceWithClipboard();
}

void quoteCommand(LineModel& buffer, const QuoteOptions& options, const BusyPointer& busy)
{
    const auto scope = busyScope(busy);
    buffer.hide();
    // Shown again once, on the normal path or while unwinding, before the busy pointer goes
    // (the scope above is made first, so it ends last).
    std::unique_ptr<LineModel, ShowAgain> shown(&buffer);
    const std::int64_t budget = lineBudget(options);
    if (options.autoPaste) {
        // The paste and the quote in one: the clipboard's text is quoted here and the buffer
        // filled once, which ends as a paste and a rewrite of the buffer would. A clipboard
        // without text leaves the buffer, the selection and the clipboard as they were.
        const BreakStyle style = breakStyle(options);
        QuoteStream stream(options.mark, budget, "\n", style);
        // Re-flow takes whole sections: the end of a piece waits for the next, and is not
        // looked at again.
        std::string held;
        SectionScan sections;
        const auto quotePiece = [&](std::string_view piece, std::string_view, bool last) {
            std::string out;
            if (style != BreakStyle::Reflow) {
                stream.quote(piece, out);
                return out;
            }
            held.append(piece);
            const std::size_t length = last ? held.size() : sections.wholeSectionsLength(held);
            stream.quote(std::string_view(held).substr(0, length), out);
            held.erase(0, length);
            return out;
        };
        // The buffer may quote the next piece while it takes in the one before. No quoted line
        // is longer than the line it comes from plus the mark, or, re-flowed, than a line of a
        // paragraph (no wider than a wrap column) with a link, its brackets and a prefix.
        if (!buffer.replaceWithConvertedClipboard(quotePiece, options.mark.size() + (style == BreakStyle::Reflow ? 512 : 0)))
            return;
    } else if (buffer.lineCount() > 0) {
        std::string quoted = quoteText(buffer.text(), options.mark, budget, breakStyle(options));
        busyStep(busy);
        buffer.setText(std::move(quoted));
    }
    shown.reset();
    buffer.selectAll();
    buffer.copySelection();
}

void pasteAndQuoteCommand(LineModel& buffer, const QuoteOptions& options, const BusyPointer& busy)
{
    // With auto paste on the quote command pastes the clipboard itself, so a paste here would be
    // thrown away unseen: skip it, it is the slowest step on a long text.
    if (!options.autoPaste)
        pasteCommand(buffer, busy);
    quoteCommand(buffer, options, busy);
}

} // namespace navrik
