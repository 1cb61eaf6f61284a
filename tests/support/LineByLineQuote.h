// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace navrik {

// The quote the slow way, as an edit control rewrites one line at a time: the mark and the head
// (splitLength) go in before the rest with the line's own break (a last line's: the one before
// it, else LF), and the rest goes on. Lines are split here, not by the product's splitter.
std::string quoteLineByLine(std::string_view text, std::string_view mark, std::int64_t budget);

} // namespace navrik
