#include "core/QuoteCommand.h"

#include "core/LineModel.h"
#include "core/QuoteStream.h"
#include "core/TextWidth.h"

namespace navrik {

std::int64_t lineBudget(const QuoteOptions& options)
{
    if (!options.adjustLines)
        return kUnlimitedLineBudget;
    return std::int64_t(options.charactersPerLine) - textWidth(options.mark);
}

std::string quoteText(std::string_view text, std::string_view mark, std::int64_t budget, bool smartBreaks)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8 + mark.size() + 16);
    QuoteStream(std::string(mark), budget, "\n", smartBreaks ? BreakStyle::Smart : BreakStyle::Columns).quote(text, out);
    return out;
}

void pasteCommand(LineModel& buffer)
{
    buffer.clear();
    buffer.paste();
}

void quoteCommand(LineModel& buffer, const QuoteOptions& options, const BusyPointer& busy)
{
    // Shows the buffer and restores the pointer once, on the normal path or while unwinding.
    class Restore {
    public:
        Restore(LineModel& buffer, const BusyPointer& busy) : m_buffer(buffer), m_busy(busy) {}
        ~Restore() { done(); }
        void done()
        {
            if (m_done)
                return;
            m_done = true;
            m_buffer.show();
            if (m_busy)
                m_busy(false);
        }

    private:
        LineModel& m_buffer;
        const BusyPointer& m_busy;
        bool m_done = false;
    };

    buffer.hide();
    Restore restore(buffer, busy);
    if (busy)
        busy(true);
    if (options.autoPaste)
        pasteCommand(buffer);
    const std::int64_t budget = lineBudget(options);
    if (buffer.lineCount() > 0)
        buffer.setText(quoteText(buffer.text(), options.mark, budget, options.smartBreaks));
    restore.done();
    buffer.selectAll();
    buffer.copySelection();
}

void pasteAndQuoteCommand(LineModel& buffer, const QuoteOptions& options, const BusyPointer& busy)
{
    // With auto paste on the quote command clears and pastes again at once, so a paste here
    // would be thrown away unseen: skip it, it is the slowest step on a long text.
    if (!options.autoPaste)
        pasteCommand(buffer);
    quoteCommand(buffer, options, busy);
}

} // namespace navrik
