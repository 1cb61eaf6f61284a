#include "quoting/QuoteStream.h"

#include "quoting/TextWidth.h"

#include <cstring>
#include <utility>

namespace navrik {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kLf = "\n";
constexpr std::string_view kCr = "\r";

// The position of the first byte c at or after from, or data.size().
std::size_t findByte(std::string_view data, std::size_t from, char c)
{
    const void* hit = std::memchr(data.data() + from, c, data.size() - from);
    return hit ? std::size_t(static_cast<const char*>(hit) - data.data()) : data.size();
}

} // namespace

QuoteStream::QuoteStream(std::string mark, std::int64_t budget, std::string_view previousEnding)
    : m_mark(std::move(mark))
    , m_budget(budget)
    , m_previousEnding(previousEnding == kCrLf ? kCrLf : previousEnding == kCr ? kCr : kLf)
{
}

void QuoteStream::quote(std::string_view text, std::string& out)
{
    const std::size_t size = text.size();
    std::size_t pos = 0;
    // The next LF and the next CR are looked up only once passed, so text that uses just
    // one kind of break is not searched again and again for the other.
    std::size_t nextLf = findByte(text, 0, '\n');
    std::size_t nextCr = findByte(text, 0, '\r');
    while (pos < size) {
        if (nextLf < pos)
            nextLf = findByte(text, pos, '\n');
        if (nextCr < pos)
            nextCr = findByte(text, pos, '\r');
        const std::size_t end = nextLf < nextCr ? nextLf : nextCr;
        if (end == size) {
            quoteLine(text.substr(pos), {}, out);
            return;
        }
        std::string_view ending = kLf;
        if (text[end] == '\r')
            ending = end + 1 < size && text[end + 1] == '\n' ? kCrLf : kCr;
        quoteLine(text.substr(pos, end - pos), ending, out);
        pos = end + ending.size();
    }
}

void QuoteStream::quoteLine(std::string_view content, std::string_view ending, std::string& out)
{
    const std::string_view pieceEnding = ending.empty() ? m_previousEnding : ending;
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
