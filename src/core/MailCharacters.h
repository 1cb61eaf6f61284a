// SPDX-License-Identifier: MIT
#pragma once

#include "core/TextWidth.h"

#include <cstdint>

namespace navrik {

// What re-flow asks of a character, from ICU's Unicode data: one lookup per character, since
// every line is looked at. Each is a bit of the value mailCharacter returns.
enum MailCharacterFlag : unsigned {
    kLetterOrDigit = 1u << 0, // alphabetic, or with a numeric value
    kNumeric = 1u << 1,       // with a numeric value: digits, numerals (一, 二), ①
    kBullet = 1u << 2,        // a symbol, an arrow or an enclosed number (■, →, ①), not an emoji
    kPunctuation = 1u << 3,
    kDash = 1u << 4,          // a hyphen or dash
    kOpening = 1u << 5,       // an opening bracket
    kClosing = 1u << 6,       // a closing bracket
    kJapanese = 1u << 7,      // of text that puts no blank between words: Han, kana, full- and
                              // half-width forms (not Hangul, not emoji)
    kEmoji = 1u << 8,         // an emoji (Extended_Pictographic)
    kTableDrawing = 1u << 9,  // box drawing, block elements, ｜ and ¦
    kLowercase = 1u << 10,
};

// The flags of c.
unsigned mailCharacter(char32_t c);

// The flags of a character read from text; an invalid byte has none.
inline unsigned mailCharacter(const Utf8Char& c)
{
    return c.valid ? mailCharacter(c.code) : 0;
}

} // namespace navrik
