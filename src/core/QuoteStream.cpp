// SPDX-License-Identifier: MIT
#include "core/QuoteStream.h"

#include "core/LineBreak.h"
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
}

QuoteStream::~QuoteStream() = default;

void QuoteStream::quote(std::string_view text, std::string& out)
{
    StringSink sink(out, text.size() + text.size() / 8 + m_mark.size() + 16);
    quote(text, sink);
}

void QuoteStream::quote(std::string_view text, QuoteSink& out)
{
    const std::size_t size = text.size();
    LineBreakScanner breaks(text);
    std::size_t pos = 0;
    while (pos < size) {
        const std::size_t end = breaks.next(pos);
        const std::string_view ending = breakAt(text, end);
        const std::string_view content = text.substr(pos, end - pos);
        // Most lines fit: no line is wider in columns than it is long in bytes, and the quick
        // measure settles most of the rest. Their content and break go out in one piece.
        if (std::int64_t(content.size()) <= m_budget
            || measureFittingPrefix(content, m_budget).length == content.size()) {
            out.append(m_mark).append(text.substr(pos, content.size() + ending.size()));
            if (!ending.empty())
                m_previousEnding = ending;
        } else {
            quoteLine(content, ending, out);
        }
        pos = end + ending.size();
    }
}

void QuoteStream::quoteLine(std::string_view content, std::string_view ending, QuoteSink& out)
{
    const std::string_view pieceEnding = ending.empty() ? m_previousEnding : ending;
    if (m_style == BreakStyle::Smart && std::int64_t(content.size()) > m_budget) {
        if (!m_breaker)
            m_breaker = std::make_unique<SmartBreaker>();
        const std::string_view prefix = m_breaker->breakLine(content, m_budget, m_breaks);
        std::size_t start = 0;
        for (const std::size_t end : m_breaks) {
            out.append(m_mark);
            if (start > 0)
                out.append(prefix);
            out.append(content.substr(start, end - start)).append(pieceEnding);
            start = end;
        }
        out.append(m_mark);
        if (start > 0)
            out.append(prefix);
        out.append(content.substr(start)).append(ending);
        if (!ending.empty())
            m_previousEnding = ending;
        return;
    }
    for (;;) {
        const std::size_t head = splitLength(content, m_budget);
        if (head == content.size())
            break;
        out.append(m_mark).append(content.substr(0, head)).append(pieceEnding);
        content.remove_prefix(head);
    }
    out.append(m_mark).append(content).append(ending);
    if (!ending.empty())
        m_previousEnding = ending;
}

} // namespace navrik
