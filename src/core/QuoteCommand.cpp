// SPDX-License-Identifier: MIT
#include "core/QuoteCommand.h"

#include "core/LineModel.h"
#include "core/QuoteStream.h"
#include "core/TextWidth.h"

#include <utility>

namespace navrik {

namespace {

// Tells the window the command is busy (again, between its long steps, so the window can
// repaint) and, on the normal path or while unwinding, that it is done, once.
class BusyScope {
public:
    explicit BusyScope(const BusyPointer& busy) : m_busy(busy) { step(); }
    ~BusyScope() { done(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    void step()
    {
        if (m_busy)
            m_busy(true);
    }
    void done()
    {
        if (m_done)
            return;
        m_done = true;
        if (m_busy)
            m_busy(false);
    }

private:
    const BusyPointer& m_busy;
    bool m_done = false;
};

} // namespace

std::int64_t lineBudget(const QuoteOptions& options)
{
    if (!options.adjustLines)
        return kUnlimitedLineBudget;
    return std::int64_t(options.charactersPerLine) - textWidth(options.mark);
}

std::string quoteText(std::string_view text, std::string_view mark, std::int64_t budget, bool smartBreaks)
{
    std::string out;
    QuoteStream(std::string(mark), budget, "\n", smartBreaks ? BreakStyle::Smart : BreakStyle::Columns).quote(text, out);
    return out;
}

bool pasteCommand(LineModel& buffer, const BusyPointer& busy)
{
    BusyScope scope(busy);
    return buffer.replaceWithClipboard();
}

void quoteCommand(LineModel& buffer, const QuoteOptions& options, const BusyPointer& busy)
{
    // Shows the buffer again once, on the normal path or while unwinding, before the busy
    // pointer goes (the scope below is made first, so it ends last).
    class Shown {
    public:
        explicit Shown(LineModel& buffer) : m_buffer(buffer) {}
        ~Shown() { done(); }
        void done()
        {
            if (!m_done)
                m_buffer.show();
            m_done = true;
        }

    private:
        LineModel& m_buffer;
        bool m_done = false;
    };

    BusyScope scope(busy);
    buffer.hide();
    Shown shown(buffer);
    const std::int64_t budget = lineBudget(options);
    if (options.autoPaste) {
        // The paste and the quote in one: the clipboard's text is quoted here and the buffer
        // filled once, which ends as a paste and a rewrite of the buffer would. A clipboard
        // without text leaves the buffer, the selection and the clipboard as they were.
        const BreakStyle style = options.smartBreaks ? BreakStyle::Smart : BreakStyle::Columns;
        const auto quotePiece = [&](std::string_view piece, std::string_view previousEnding) {
            std::string out;
            QuoteStream(options.mark, budget, previousEnding, style).quote(piece, out);
            return out;
        };
        // The buffer may quote the next piece while it takes in the one before. No quoted line
        // is longer than the line it comes from plus the mark.
        if (!buffer.replaceWithConvertedClipboard(quotePiece, options.mark.size()))
            return;
    } else if (buffer.lineCount() > 0) {
        std::string quoted = quoteText(buffer.text(), options.mark, budget, options.smartBreaks);
        scope.step();
        buffer.setText(std::move(quoted));
    }
    shown.done();
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
