#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

} // namespace navrik
