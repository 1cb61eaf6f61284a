// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace navrik {

// The quote done the slow way, as an edit control rewrites its lines one at a time, to check the
// one-pass quote against: a line whose head (splitLength) is shorter than the line is replaced by
// the rest and the mark and head are inserted before it with the line's own break (for a last
// line without one, the break of the line before it, LF when there is none); the rest is handled
// next. Any other line gets the mark in front. Lines are read here on their own, not through the
// product's line splitting.
std::string quoteLineByLine(std::string_view text, std::string_view mark, std::int64_t budget);

} // namespace navrik
