// SPDX-License-Identifier: MIT
#include "core/IntegerText.h"

#include <charconv>

namespace navrik {

namespace {

template <class Integer> std::optional<Integer> readWhole(std::string_view text, int base)
{
    Integer value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::int32_t> readInt32(std::string_view text)
{
    // from_chars reads no "$" and no plus sign, and reads a minus sign only into a signed type:
    // the hexadecimal pattern, read unsigned, takes no sign at all.
    if (text.starts_with('$')) {
        const auto pattern = readWhole<std::uint32_t>(text.substr(1), 16);
        return pattern ? std::optional<std::int32_t>(std::int32_t(*pattern)) : std::nullopt;
    }
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-'))
            return std::nullopt;
    }
    return readWhole<std::int32_t>(text, 10);
}

} // namespace navrik
