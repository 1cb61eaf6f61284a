// SPDX-License-Identifier: MIT
#include "core/SpinValue.h"

#include "core/IntegerText.h"
#include "core/TextWidth.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace navrik {
namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

std::string SpinValue::asciiForm(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char c = characterAt(text, pos);
        if (c.valid && c.code >= U'\uFF01' && c.code <= U'\uFF5E')
            out += char(c.code - 0xFEE0);
        else if (c.valid && c.code == U'\u2212')
            out += '-';
        else if (c.valid && c.code == U'\u3000')
            out += ' ';
        else
            out.append(text.substr(pos, c.length));
        pos += c.length;
    }
    return out;
}

std::int32_t SpinValue::read(std::string_view text) const
{
    const std::string ascii = asciiForm(text);
    const auto start = ascii.find_first_not_of(' ');
    if (start == std::string::npos)
        return MinValue;
    return readInt32(std::string_view(ascii).substr(start)).value_or(MinValue);
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
