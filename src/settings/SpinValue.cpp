#include "settings/SpinValue.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace navrik {
namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

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

// "$" and at least one hex digit, nothing after; the digits are a 32-bit pattern, so
// "$FFFFFFFF" is -1. Leading zeros do not count against the 32 bits.
std::optional<std::int32_t> readHex(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t bits = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        bits = bits * 16 + static_cast<unsigned>(d);
        if (bits > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
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
    const std::int64_t limit = negative ? -kInt32Min : kInt32Max;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace

std::int32_t SpinValue::read(std::string_view text) const
{
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return MinValue;
    text.remove_prefix(start);
    const std::optional<std::int32_t> value =
        text.front() == '$' ? readHex(text.substr(1)) : readDecimal(text);
    return value.value_or(MinValue);
}

std::int32_t SpinValue::clamp(std::int64_t value) const
{
    if (MinValue != MaxValue) {
        if (value < MinValue)
            value = MinValue;
        else if (value > MaxValue)
            value = MaxValue;
    }
    return static_cast<std::int32_t>(std::clamp(value, kInt32Min, kInt32Max));
}

std::string SpinValue::write(std::int64_t value) const
{
    return std::to_string(clamp(value));
}

std::string SpinValue::stepUp(std::string_view text) const
{
    return write(std::int64_t{read(text)} + Increment);
}

std::string SpinValue::stepDown(std::string_view text) const
{
    return write(std::int64_t{read(text)} - Increment);
}

bool SpinValue::needsClamp(std::string_view text) const
{
    const std::int32_t value = read(text);
    return clamp(value) != value;
}

} // namespace navrik
