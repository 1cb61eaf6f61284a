// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace navrik {

// Code page 932 (Shift-JIS), which the settings file keeps the quote mark in, through ICU's
// converter; inside the program text is UTF-8.

// Decodes code page 932 bytes to UTF-8. A byte sequence the code page does not define becomes
// U+001A, or U+FFFD where it is a valid but unassigned pair; an unfinished pair at the end is
// left out.
std::string cp932ToUtf8(std::string_view bytes);

// Decodes a text stored in the settings file: code page 932 where the bytes are valid code
// page 932, else UTF-8 where they are valid UTF-8 (as editors on Linux save the file), else
// code page 932 as cp932ToUtf8 does.
std::string storedTextToUtf8(std::string_view bytes);

// Encodes UTF-8 text to code page 932; nothing when a character has no code page 932 form
// (an invisible one such as U+200B included) or the text is not UTF-8.
std::optional<std::string> utf8ToCp932(std::string_view text);

// True when every character of the UTF-8 text has a code page 932 form.
bool representableInCp932(std::string_view text);

// A stored text for a UTF-16 settings file: the bytes are code page 932, or else UTF-8;
// nothing when they are neither.
std::optional<std::u16string> storedTextToUtf16(std::string_view bytes);

// A value read from a UTF-16 settings file, in code page 932 as every other value: a character
// the code page has no bytes for becomes '?'.
std::string utf16ToCp932(std::u16string_view units);

} // namespace navrik
