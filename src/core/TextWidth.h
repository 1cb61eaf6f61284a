// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace navrik {

// Widths are counted in half-width columns, the way a fixed-pitch Japanese font shows text:
// ASCII and the half-width katakana take one column, every other character two. A byte that
// does not start a well-formed UTF-8 sequence is one character of width 1 on its own, so text
// that is not valid UTF-8 still passes through whole.

// One character of UTF-8 text as it is stepped over.
struct Utf8Char {
    char32_t code = 0;       // the decoded character; for an invalid byte, the byte's value
    std::size_t length = 1;  // bytes taken, 1 to 4
    int width = 1;           // columns taken
    bool valid = true;       // false for a lone invalid byte
};

// 1 for U+0000 to U+007F and U+FF61 to U+FF9F, 2 for everything else.
int columnWidth(char32_t c);

// The character that starts at byte pos of text (pos < text.size()).
Utf8Char characterAt(std::string_view text, std::size_t pos);

// The sum of the columns of every character of text.
std::int64_t textWidth(std::string_view text);

// The byte length of the longest run of whole characters at the start of line whose width
// fits the budget: line.size() when the whole line fits, 0 when not even its first character
// does.
std::size_t fitLength(std::string_view line, std::int64_t budget);

// Where a line is split for a given budget of columns: the byte length of the head, the
// longest run of whole clusters (Graphemes.h) at the start of line whose width fits the budget,
// so the cut falls where it would between characters, or before the cluster that holds that
// cut. When not even the first cluster fits (a budget below 1, a full-width character with a
// budget of 1, a cluster wider than the budget) the head is still that one cluster, so repeated
// splitting always progresses. A line that fits whole returns line.size(), which means "no
// split". An empty line returns 0.
std::size_t splitLength(std::string_view line, std::int64_t budget);

} // namespace navrik
