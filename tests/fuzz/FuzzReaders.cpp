// SPDX-License-Identifier: MIT
// The spin fields' number reader and the line splitter on the same bytes, against references.
#include "core/LineBreak.h"
#include "core/SpinValue.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

using namespace navrik;


void check(bool holds) { if (!holds) std::abort(); }

// Digit by digit, as a number is read by hand.
static std::int32_t referenceNumber(std::string_view text, std::int32_t minValue)
{
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    const bool hex = text.starts_with('$'), negative = text.starts_with('-');
    if (hex || negative || text.starts_with('+'))
        text.remove_prefix(1);
    const std::string_view digits = hex ? "0123456789abcdef" : "0123456789";
    const std::int64_t limit = hex ? 0xFFFFFFFF : negative ? 2147483648 : 2147483647;
    std::int64_t value = 0;
    for (const char c : text)
        if (const auto digit = digits.find(char(std::tolower(static_cast<unsigned char>(c))));
            digit == std::string_view::npos || (value = value * std::int64_t(digits.size()) + std::int64_t(digit)) > limit)
            return minValue;
    return text.empty() ? minValue : hex ? std::int32_t(std::uint32_t(value)) : std::int32_t(negative ? -value : value);
}


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SpinValue rules{-7, 99, 1};
    check(rules.read(text) == referenceNumber(text, rules.MinValue));

    // Lines join back, hold no break, end in CR LF, LF or a lone CR; only a last, non-empty one in nothing.
    LineSplitter lines(text);
    std::size_t at = 0;
    for (TextLine line; lines.next(line);) {
        check(text.substr(at, line.content.size()) == line.content && line.content.find_first_of("\r\n") == line.content.npos);
        at += line.content.size();
        const std::string_view ending = text.substr(at, text.substr(at, 2) == "\r\n" ? 2 : 1);
        check(line.ending == ending && ending.find_first_not_of("\r\n") == ending.npos && !(ending.empty() && line.content.empty()));
        at += ending.size();
    }
    check(at == text.size());
    const std::string_view head = text.ends_with('\r') ? text.substr(0, text.size() - 1) : text;
    check(completeLinesLength(text) == head.find_last_of("\r\n") + 1); // npos + 1: none, 0
    return 0;
}
