// SPDX-License-Identifier: MIT
#include "core/WidthScan.h"

#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define NAVRIK_VECTOR_SCAN 1
#include <immintrin.h>
#endif

namespace navrik {

namespace {

std::size_t findVerbatimMarkByByte(std::string_view text, std::size_t pos)
{
    for (; pos < text.size(); ++pos) {
        const auto b = static_cast<unsigned char>(text[pos]);
        const auto next = pos + 1 < text.size() ? static_cast<unsigned char>(text[pos + 1]) : 0;
        if (b == '\t' || b == '|' || b == 0xE2 || b == 0xEF || b == 0xC2 || (b == ' ' && (next == ' ' || next == 0xE3))
            || (b == 0x80 && next == 0x80))
            return pos;
    }
    return text.size();
}

} // namespace

#ifdef NAVRIK_VECTOR_SCAN

// Byte comparisons are signed in these instruction sets: 0x80 to 0xFF read as -128 to -1, so
// "above" is meant among the bytes from 0x80 up, and callers mask out the rest.

namespace sse2 {

struct Block {
    static constexpr std::size_t kSize = 16;
    static __m128i load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static std::uint64_t mask(__m128i v) { return unsigned(_mm_movemask_epi8(v)); }
    static __m128i equal(__m128i v, int b) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(char(b))); }
    static __m128i above(__m128i v, int b) { return _mm_cmpgt_epi8(v, _mm_set1_epi8(char(b))); }
    static __m128i either(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
    static __m128i atLeast(__m128i v, int b) { return _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(char(b))), v); }
    static __m128i atMost(__m128i v, int b) { return _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(char(b))), v); }
    static __m128i both(__m128i a, __m128i b) { return _mm_and_si128(a, b); }
    // E0, ED, EF, and F0 and up.
    static __m128i rare(__m128i v)
    {
        const __m128i f0up = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(char(0xF0))), v);
        return _mm_or_si128(_mm_or_si128(equal(v, 0xE0), equal(v, 0xED)), _mm_or_si128(equal(v, 0xEF), f0up));
    }
};

// Built for plain x86-64: this is the path of processors without AVX2, popcnt or BMI, so it may
// use none of them (a popcnt instruction here would stop such a processor).
#define NAVRIK_SCAN_TARGET
#include "core/WidthScanBlocks.inc"
#undef NAVRIK_SCAN_TARGET

} // namespace sse2

namespace avx2 {

#define NAVRIK_SCAN_TARGET __attribute__((target("avx2,popcnt,lzcnt,bmi")))

struct Block {
    static constexpr std::size_t kSize = 32;
    NAVRIK_SCAN_TARGET static __m256i load(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    NAVRIK_SCAN_TARGET static std::uint64_t mask(__m256i v) { return unsigned(_mm256_movemask_epi8(v)); }
    NAVRIK_SCAN_TARGET static __m256i equal(__m256i v, int b) { return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(char(b))); }
    NAVRIK_SCAN_TARGET static __m256i above(__m256i v, int b) { return _mm256_cmpgt_epi8(v, _mm256_set1_epi8(char(b))); }
    NAVRIK_SCAN_TARGET static __m256i either(__m256i a, __m256i b) { return _mm256_or_si256(a, b); }
    NAVRIK_SCAN_TARGET static __m256i atLeast(__m256i v, int b)
    {
        return _mm256_cmpeq_epi8(_mm256_max_epu8(v, _mm256_set1_epi8(char(b))), v);
    }
    NAVRIK_SCAN_TARGET static __m256i atMost(__m256i v, int b)
    {
        return _mm256_cmpeq_epi8(_mm256_min_epu8(v, _mm256_set1_epi8(char(b))), v);
    }
    NAVRIK_SCAN_TARGET static __m256i both(__m256i a, __m256i b) { return _mm256_and_si256(a, b); }
    NAVRIK_SCAN_TARGET static __m256i rare(__m256i v)
    {
        const __m256i f0up = _mm256_cmpeq_epi8(_mm256_max_epu8(v, _mm256_set1_epi8(char(0xF0))), v);
        return _mm256_or_si256(_mm256_or_si256(equal(v, 0xE0), equal(v, 0xED)), _mm256_or_si256(equal(v, 0xEF), f0up));
    }
};

#include "core/WidthScanBlocks.inc"
#undef NAVRIK_SCAN_TARGET

} // namespace avx2

namespace {

// The widest registers this processor has, chosen once.
const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")
        && __builtin_cpu_supports("bmi");
}();

} // namespace

MeasuredPrefix measureFittingPrefix(std::string_view line, std::int64_t budget)
{
    return kHasAvx2 ? avx2::measureFittingPrefix(line, budget) : sse2::measureFittingPrefix(line, budget);
}

std::size_t findVerbatimMark(std::string_view text, std::size_t pos)
{
    return kHasAvx2 ? avx2::findVerbatimMark(text, pos) : sse2::findVerbatimMark(text, pos);
}

TextBlock TextBlockScanner::next(std::size_t block)
{
    // The last bytes are read from a copy with room after them, which counts as ASCII.
    alignas(32) char tail[64 + 32] = {};
    const char* bytes = m_text.data() + block;
    const std::size_t size = m_text.size() - block;
    if (size < 64 + 2) {
        m_text.copy(tail, 64, block);
        bytes = tail;
    }
    TextBlock facts = kHasAvx2 ? avx2::scanTextBlock(bytes, m_carry) : sse2::scanTextBlock(bytes, m_carry);
    if (size < 64) {
        const std::uint64_t text = (std::uint64_t(1) << size) - 1;
        facts.columns &= text;
        facts.wide &= text;
        facts.marks &= text;
    }
    return facts;
}

#else

MeasuredPrefix measureFittingPrefix(std::string_view, std::int64_t)
{
    return {};
}

std::size_t findVerbatimMark(std::string_view text, std::size_t pos)
{
    return findVerbatimMarkByByte(text, pos);
}

// Without vector registers every block is left to the slow measure.
TextBlock TextBlockScanner::next(std::size_t block)
{
    TextBlock facts;
    facts.marks = ~std::uint64_t(0);
    facts.plain = false;
    (void)block;
    return facts;
}

#endif

} // namespace navrik
