// SPDX-License-Identifier: MIT
#include "core/QuoteSink.h"

#include <algorithm>

namespace navrik {

StringSink::StringSink(std::string& out, std::size_t expected)
    : m_out(out)
    , m_start(out.size())
{
    grow(expected);
}

StringSink::~StringSink()
{
    m_out.resize(m_start + held().size());
}

void StringSink::overflow(std::string_view bytes)
{
    grow(bytes.size());
    append(bytes);
}

// Makes room for needed more bytes: the string is lengthened (at least doubled) and the sink
// writes into the new part.
void StringSink::grow(std::size_t needed)
{
    const std::size_t used = m_start + held().size();
    const std::size_t size = std::max({used + needed, m_out.size() * 2, used + 4096});
    m_out.resize(size);
    setBuffer(m_out.data() + m_start, m_out.data() + used, m_out.data() + size);
}

} // namespace navrik
