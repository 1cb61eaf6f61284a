// SPDX-License-Identifier: MIT
#include "core/LineBreak.h"

#include <algorithm>
#include <cstring>

namespace navrik {

namespace {

// The position of the first byte c at or after from, or text.size().
std::size_t findByte(std::string_view text, std::size_t from, char c)
{
    const void* hit = std::memchr(text.data() + from, c, text.size() - from);
    return hit ? std::size_t(static_cast<const char*>(hit) - text.data()) : text.size();
}

} // namespace

LineSplitter::LineSplitter(std::string_view text)
    : m_text(text)
    , m_nextLf(findByte(text, 0, '\n'))
    , m_nextCr(findByte(text, 0, '\r'))
{
}

bool LineSplitter::next(TextLine& line)
{
    const std::size_t size = m_text.size();
    if (m_pos >= size)
        return false;
    if (m_nextLf < m_pos)
        m_nextLf = findByte(m_text, m_pos, '\n');
    if (m_nextCr < m_pos)
        m_nextCr = findByte(m_text, m_pos, '\r');
    const std::size_t end = m_nextLf < m_nextCr ? m_nextLf : m_nextCr;
    line.content = m_text.substr(m_pos, end - m_pos);
    line.ending = breakAt(m_text, end);
    m_pos = end + line.ending.size();
    return true;
}

std::string_view breakAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return {};
    if (text[pos] == '\n')
        return kLf;
    if (text[pos] != '\r')
        return {};
    return pos + 1 < text.size() && text[pos + 1] == '\n' ? kCrLf : kCr;
}

std::string_view lastingBreak(std::string_view ending)
{
    return ending == kCrLf ? kCrLf : ending == kCr ? kCr : kLf;
}

std::size_t completeLinesLength(std::string_view text, std::size_t from)
{
    std::size_t end = text.size();
    if (end > from && text[end - 1] == '\r')
        --end;
    for (std::size_t pos = end; pos > from; --pos) {
        const char c = text[pos - 1];
        if (c == '\n' || c == '\r')
            return pos;
        // Long stretches without a break are passed over a word at a time.
        if (pos - from > 64) {
            const void* lf = memrchr(text.data() + from, '\n', pos - from);
            const void* cr = memrchr(text.data() + from, '\r', pos - from);
            const char* last = std::max(static_cast<const char*>(lf), static_cast<const char*>(cr));
            return last ? std::size_t(last - text.data()) + 1 : 0;
        }
    }
    return 0;
}

std::string_view finalBreak(std::string_view text)
{
    if (text.ends_with(kCrLf))
        return kCrLf;
    return text.ends_with('\r') ? kCr : kLf;
}

} // namespace navrik
