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

// The first place from pos on where a byte may start what makes a line of mail verbatim (a table
// or a drawing): a tab, '|', a lead byte of a box-drawing, block or table character (E2, EF,
// C2), or two blanks in a row (a space, or the middle byte of an ideographic space E3 80 80,
// before another); text.size() when there is none. The caller looks at what it finds.
std::size_t findVerbatimMark(std::string_view text, std::size_t pos);

// What re-flow reads of every byte of a text, 64 bytes at a time (bit i of a mask stands for the
// byte at block + i): the columns each byte adds to the width of a line, and where a verbatim
// mark may lie (findVerbatimMark's bytes). A line's width is the count of its bytes in columns
// and in wide together. Where a block holds anything but plain well-formed UTF-8 (C0, C1, E0, ED,
// F0 and up, or continuation bytes that no character asks for), plain is false and the line's
// width is measured the slow way.
struct TextBlock {
    std::uint64_t columns = 0; // the bytes that start a character: a column each
    std::uint64_t wide = 0;    // the lead bytes of characters two columns wide: a second each
    std::uint64_t marks = 0;
    bool plain = true;
};

class TextBlockScanner {
public:
    explicit TextBlockScanner(std::string_view text)
        : m_text(text)
    {
    }

    // The facts of the 64 bytes from block, a multiple of 64 below the size; blocks are taken in
    // order. Bits past the end of the text are clear.
    TextBlock next(std::size_t block);

private:
    std::string_view m_text;
    std::uint64_t m_carry = 0; // the continuation bytes the block before asks of the next
};

// Finds where the lines of a text end, 64 bytes at a time: for each block, a mask of the bytes
// that end a line (an LF, or a CR that no LF follows). Each block is looked at once, however short
// its lines.
class LineEndScanner {
public:
    explicit LineEndScanner(std::string_view text)
        : m_text(text)
    {
        load(0);
    }

    // The line ends in the 64 bytes from block, a multiple of 64 below the size; bit i stands
    // for block + i. Blocks are taken in order.
    std::uint64_t ends(std::size_t block)
    {
        const std::uint64_t cr = m_cr;
        const std::uint64_t lf = m_lf;
        if (block + 64 < m_text.size())
            load(block + 64);
        else
            m_lf = 0;
        // A CR followed by an LF, here or at the start of the next block, is the first half of
        // a CR LF.
        return lf | (cr & ~((lf >> 1) | (m_lf << 63)));
    }

private:
    // The CRs and LFs of the block at block, into m_cr and m_lf.
    void load(std::size_t block)
    {
        m_cr = 0;
        m_lf = 0;
        const char* const data = m_text.data() + block;
        const std::size_t size = m_text.size() - block;
#if defined(__SSE2__)
        if (size >= 64) {
            const __m128i cr = _mm_set1_epi8('\r');
            const __m128i lf = _mm_set1_epi8('\n');
            for (int i = 0; i < 4; ++i) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i));
                m_cr |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)))) << (16 * i);
                m_lf |= std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))) << (16 * i);
            }
            return;
        }
#endif
        for (std::size_t i = 0; i < 64 && i < size; ++i) {
            m_cr |= std::uint64_t(data[i] == '\r') << i;
            m_lf |= std::uint64_t(data[i] == '\n') << i;
        }
    }

    std::string_view m_text;
    std::uint64_t m_cr = 0; // the CRs and LFs of the next block
    std::uint64_t m_lf = 0;
};

} // namespace navrik
