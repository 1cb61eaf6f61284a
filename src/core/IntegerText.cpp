// SPDX-License-Identifier: MIT
#include "core/IntegerText.h"

namespace navrik {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> readHex(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t bits = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        bits = bits * 16 + std::uint64_t(digit);
        if (bits > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return std::int32_t(std::uint32_t(bits));
}

std::optional<std::int32_t> readDecimal(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return std::nullopt;
    }
    return std::int32_t(negative ? -magnitude : magnitude);
}

} // namespace

std::optional<std::int32_t> readInt32(std::string_view text)
{
    if (text.starts_with('$'))
        return readHex(text.substr(1));
    return readDecimal(text);
}

} // namespace navrik
