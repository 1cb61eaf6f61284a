// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace navrik {

// Quick measures of UTF-8 text for the quote stream's hot paths. They agree with TextWidth's
// character rules and only ever take the easy part of a text; what they leave is measured
// character by character there.

// The start of a line that is measured quickly: whole, well-formed characters (ASCII and two- and
// three-byte characters outside a few rare lead bytes), taken sixteen bytes at a time while they
// fit in budget columns. It ends on a character boundary; its width is its true column width.
// length == line.size() means the whole line fits.
struct MeasuredPrefix {
    std::size_t length = 0;
    std::int64_t width = 0;
};
MeasuredPrefix measureFittingPrefix(std::string_view line, std::int64_t budget);

// The position of the first CR or LF in text at or after from, or text.size().
std::size_t findLineBreak(std::string_view text, std::size_t from);

// Finds the CRs and LFs of a text in order, 64 bytes at a time: each block is looked at once,
// however short its lines.
class LineBreakScanner {
public:
    explicit LineBreakScanner(std::string_view text)
        : m_text(text)
    {
        load(0);
    }

    // The position of the first CR or LF at or after from (from never goes back), or the size.
    std::size_t next(std::size_t from)
    {
        if (from >= m_block + 64)
            load(from & ~std::size_t(63));
        m_hits &= ~std::uint64_t(0) << (from - m_block);
        while (m_hits == 0) {
            if (m_block + 64 >= m_text.size())
                return m_text.size();
            load(m_block + 64);
        }
        return m_block + std::size_t(__builtin_ctzll(m_hits));
    }

private:
    void load(std::size_t block)
    {
        m_block = block;
        m_hits = 0;
        const char* const data = m_text.data() + block;
        const std::size_t size = m_text.size() - block;
#if defined(__SSE2__)
        if (size >= 64) {
            const __m128i cr = _mm_set1_epi8('\r');
            const __m128i lf = _mm_set1_epi8('\n');
            for (int i = 0; i < 4; ++i) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i));
                const unsigned hits = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
                m_hits |= std::uint64_t(hits) << (16 * i);
            }
            return;
        }
#endif
        for (std::size_t i = 0; i < 64 && i < size; ++i) {
            if (data[i] == '\r' || data[i] == '\n')
                m_hits |= std::uint64_t(1) << i;
        }
    }

    std::string_view m_text;
    std::size_t m_block = 0;
    std::uint64_t m_hits = 0; // the breaks in the block at m_block not yet passed
};

} // namespace navrik
