// SPDX-License-Identifier: MIT
#include "core/SpinValue.h"

#include "core/IntegerText.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace navrik {
namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

std::int32_t SpinValue::read(std::string_view text) const
{
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return MinValue;
    text.remove_prefix(start);
    return readInt32(text).value_or(MinValue);
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
