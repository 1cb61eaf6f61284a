// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace navrik {

// The settings file stores the quote mark as code page 932 (Shift-JIS) bytes; inside the
// program text is UTF-8.

// Decodes code page 932 bytes to UTF-8. Undecodable bytes become U+FFFD.
std::string cp932ToUtf8(std::string_view bytes);

// Decodes a text stored in the settings file: code page 932 where the bytes are valid code
// page 932, else UTF-8 where they are valid UTF-8 (as editors on Linux save the file), else
// code page 932 as cp932ToUtf8 does.
std::string storedTextToUtf8(std::string_view bytes);

// Encodes UTF-8 text to code page 932. Returns false, leaving out untouched, when some
// character has no code page 932 form.
bool utf8ToCp932(std::string_view text, std::string& out);

// True when every character of the UTF-8 text has a code page 932 form.
bool representableInCp932(std::string_view text);

} // namespace navrik
