// SPDX-License-Identifier: MIT
#include "core/MailCharacters.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <array>
#include <atomic>

namespace navrik {

namespace {

constexpr unsigned kKnown = 1u << 15;

unsigned lookUp(char32_t c)
{
    const auto code = UChar32(c);
    unsigned flags = kKnown;
    const auto type = u_charType(code);
    const auto mask = U_MASK(type);
    const bool numeric = u_getNumericValue(code) != U_NO_NUMERIC_VALUE;
    const bool emoji = c >= 0x80 && u_hasBinaryProperty(code, UCHAR_EXTENDED_PICTOGRAPHIC);
    const auto block = ublock_getCode(code);
    if (u_hasBinaryProperty(code, UCHAR_ALPHABETIC) || numeric)
        flags |= kLetterOrDigit;
    if (numeric)
        flags |= kNumeric;
    if (!emoji && (type == U_OTHER_SYMBOL || type == U_OTHER_NUMBER || block == UBLOCK_ARROWS))
        flags |= kBullet;
    if (mask & U_GC_P_MASK)
        flags |= kPunctuation;
    if (type == U_DASH_PUNCTUATION)
        flags |= kDash;
    if (type == U_START_PUNCTUATION)
        flags |= kOpening;
    if (type == U_END_PUNCTUATION)
        flags |= kClosing;
    if (emoji)
        flags |= kEmoji;
    if (block == UBLOCK_BOX_DRAWING || block == UBLOCK_BLOCK_ELEMENTS || c == U'\uFF5C' || c == U'\u00A6')
        flags |= kTableDrawing;
    if (u_islower(code))
        flags |= kLowercase;
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(code, &status);
    const auto width = u_getIntPropertyValue(code, UCHAR_EAST_ASIAN_WIDTH);
    if (c >= 0x80
        && (script == USCRIPT_HAN || script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA
            || (script != USCRIPT_HANGUL && !emoji
                && (width == U_EA_WIDE || width == U_EA_FULLWIDTH || width == U_EA_HALFWIDTH))))
        flags |= kJapanese;
    return flags;
}

} // namespace

unsigned mailCharacter(char32_t c)
{
    if (c >= 0x10000)
        return lookUp(c);
    // Looked up once per character met, by whichever thread meets it first.
    static std::array<std::atomic<std::uint16_t>, 0x10000> known{};
    unsigned flags = known[c].load(std::memory_order_relaxed);
    if (flags == 0) {
        flags = lookUp(c);
        known[c].store(std::uint16_t(flags), std::memory_order_relaxed);
    }
    return flags;
}

} // namespace navrik
