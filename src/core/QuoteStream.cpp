// SPDX-License-Identifier: MIT
#include "core/QuoteStream.h"

#include "core/LineBreak.h"
#include "core/Reflower.h"
#include "core/SmartBreaker.h"
#include "core/TextWidth.h"
#include "core/WidthScan.h"

#include <utility>

namespace navrik {

QuoteStream::QuoteStream(std::string mark, std::int64_t budget, std::string_view previousEnding, BreakStyle style)
    : m_mark(std::move(mark))
    , m_budget(budget)
    , m_previousEnding(lastingBreak(previousEnding))
    , m_style(style)
{
    if (m_mark.size() <= sizeof m_markBlock)
        m_mark.copy(m_markBlock, m_mark.size());
}

QuoteStream::~QuoteStream() = default;

void QuoteStream::quote(std::string_view text, std::string& out)
{
    StringSink sink(out, text.size() + text.size() / 8 + m_mark.size() + 16);
    quote(text, sink);
}

void QuoteStream::quote(std::string_view text, QuoteSink& out)
{
    if (m_style == BreakStyle::Reflow) {
        quoteReflowed(text, out);
        return;
    }
    const std::size_t size = text.size();
    const char* const data = text.data();
    LineEndScanner scanner(text);
    std::size_t pos = 0; // where the next line starts
    for (std::size_t block = 0; block < size; block += 64) {
        for (std::uint64_t ends = scanner.ends(block); ends != 0; ends &= ends - 1) {
            const std::size_t next = block + std::size_t(__builtin_ctzll(ends)) + 1;
            // Most lines fit: no line is wider in columns than it is long in bytes, and the
            // quick measure settles most of the rest. Their content and break go out in one
            // piece.
            if (std::int64_t(next - pos) <= m_budget) {
                appendMark(out);
                out.append(std::string_view(data + pos, next - pos));
            } else {
                const std::size_t breakLength =
                    data[next - 1] == '\n' && next - pos >= 2 && data[next - 2] == '\r' ? 2 : 1;
                const std::string_view ending(data + next - breakLength, breakLength);
                quoteMeasured(std::string_view(data + pos, next - pos - breakLength), ending, ending, out);
            }
            pos = next;
        }
    }
    // The break of the last line that has one, for a last line without one and for the text
    // that follows.
    if (pos > 0)
        m_previousEnding = finalBreak(text.substr(0, pos));
    if (pos < size)
        quoteMeasured(std::string_view(data + pos, size - pos), {}, m_previousEnding, out);
}

// Quotes one line whole when the quick measure finds that it fits, else in pieces.
void QuoteStream::quoteMeasured(std::string_view content, std::string_view ending,
                               std::string_view pieceEnding, QuoteSink& out)
{
    if (std::int64_t(content.size()) <= m_budget
        || measureFittingPrefix(content, m_budget).length == content.size()) {
        appendMark(out);
        out.append(std::string_view(content.data(), content.size() + ending.size()));
    } else {
        quoteLine(content, ending, pieceEnding, out);
    }
}

void QuoteStream::quoteLine(std::string_view content, std::string_view ending,
                            std::string_view pieceEnding, QuoteSink& out)
{
    if (m_style == BreakStyle::Smart) {
        if (!m_breaker)
            m_breaker = std::make_unique<SmartBreaker>();
        const std::string_view prefix = m_breaker->breakLine(content, m_budget, m_breaks);
        std::size_t start = 0;
        for (const std::size_t end : m_breaks) {
            appendMark(out);
            if (start > 0)
                out.append(prefix);
            out.append(content.substr(start, end - start)).append(pieceEnding);
            start = end;
        }
        appendMark(out);
        if (start > 0)
            out.append(prefix);
        out.append(content.substr(start)).append(ending);
        return;
    }
    for (;;) {
        const std::size_t head = splitLength(content, m_budget);
        if (head == content.size())
            break;
        appendMark(out);
        out.append(content.substr(0, head)).append(pieceEnding);
        content.remove_prefix(head);
    }
    appendMark(out);
    out.append(content).append(ending);
}

void QuoteStream::quoteReflowed(std::string_view text, QuoteSink& out)
{
    if (!m_breaker)
        m_breaker = std::make_unique<SmartBreaker>();
    if (!m_reflower)
        m_reflower = std::make_unique<Reflower>(m_budget);
    const auto isBlank = [](std::string_view piece, std::size_t pos) {
        return pos < piece.size() && (piece[pos] == ' ' || piece.substr(pos, 3) == "\u3000");
    };
    for (std::size_t pos = 0; pos < text.size();) {
        pos += m_reflower->start(text.substr(pos));
        for (Reflower::Paragraph paragraph; m_reflower->next(*m_breaker, paragraph);) {
            const std::string_view line = paragraph.text;
            const std::string_view pieceEnding = paragraph.pieceEnding.empty() ? m_previousEnding : paragraph.pieceEnding;
            if (!paragraph.ending.empty() && paragraph.ending != m_previousEnding)
                m_previousEnding = lastingBreak(paragraph.ending);
            if (paragraph.verbatim || std::int64_t(line.size()) <= m_budget
                || (paragraph.width >= 0 ? paragraph.width <= m_budget : measureFittingPrefix(line, m_budget).length == line.size())) {
                appendMark(out);
                // A line of the text and its break lie together there.
                if (line.data() + line.size() == paragraph.ending.data())
                    out.append(std::string_view(line.data(), line.size() + paragraph.ending.size()));
                else
                    out.append(line).append(paragraph.ending);
                continue;
            }
            const std::string_view prefix = m_breaker->breakParagraph(line, paragraph.prefixLength, m_budget, m_breaks);
            m_breaks.push_back(line.size());
            // The blanks around a break go with it, and those at the end of the paragraph (they
            // would not fit); a piece of nothing else goes too. Each line's break is written once
            // the next line is known to come.
            bool open = false;
            for (std::size_t start = 0; const std::size_t end : m_breaks) {
                std::size_t from = start, to = end;
                while (from > 0 && isBlank(line, from))
                    from += line[from] == ' ' ? 1 : 3;
                while (to > from && (line[to - 1] == ' ' || (to - from >= 3 && line.substr(to - 3, 3) == "\u3000")))
                    to -= line[to - 1] == ' ' ? 1 : 3;
                if (from < to) {
                    if (open)
                        out.append(pieceEnding);
                    appendMark(out);
                    if (start > 0)
                        out.append(prefix);
                    out.append(line.substr(from, to - from));
                    open = true;
                }
                start = end;
            }
            if (!open)
                appendMark(out);
            out.append(paragraph.ending);
        }
    }
}

} // namespace navrik
