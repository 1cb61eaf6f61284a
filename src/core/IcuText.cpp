// SPDX-License-Identifier: MIT
#include "core/IcuText.h"

#include "core/TextWidth.h"

#include <algorithm>

namespace navrik {

IcuText::IcuText() = default;

IcuText::~IcuText()
{
    utext_close(&m_text);
}

void IcuText::assign(std::string_view text, std::size_t from, std::size_t to)
{
    m_units.clear();
    m_offsets.clear();
    std::size_t pos = from;
    while (pos < to && pos < text.size()) {
        const auto b = static_cast<unsigned char>(text[pos]);
        if (b < 0x80) {
            m_units.push_back(char16_t(b));
            m_offsets.push_back(pos++);
            continue;
        }
        const Utf8Char c = characterAt(text, pos);
        const char32_t code = c.valid ? c.code : U'\uFFFD';
        if (code > 0xFFFF) {
            m_units.push_back(char16_t(0xD7C0 + (code >> 10)));
            m_units.push_back(char16_t(0xDC00 | (code & 0x3FF)));
            m_offsets.push_back(pos);
        } else {
            m_units.push_back(char16_t(code));
        }
        m_offsets.push_back(pos);
        pos += c.length;
    }
    m_offsets.push_back(pos);
}

void IcuText::attach(icu::BreakIterator& iterator, UErrorCode& status)
{
    utext_openUChars(&m_text, m_units.data(), std::int64_t(m_units.size()), &status);
    iterator.setText(&m_text, status);
}

std::int32_t IcuText::unitAt(std::size_t offset) const
{
    return std::int32_t(std::lower_bound(m_offsets.begin(), m_offsets.end(), offset) - m_offsets.begin());
}

} // namespace navrik
