// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace navrik {

// The number rules of a spin field. The field keeps nothing but its text; these rules say how
// that text reads as a number, how a number is written back, and how a step moves it.
struct SpinValue {
    std::int32_t MinValue = 0;
    std::int32_t MaxValue = 0;
    std::int32_t Increment = 1;

    // The text with the full-width forms of the ASCII characters (０ to ９, ＋, －, ＄ and the
    // rest of that block), the minus sign U+2212 and the ideographic space as their ASCII
    // characters, which is what an input method types into a number field; all else as it is.
    static std::string asciiForm(std::string_view text);

    // The number the text stands for, read in its ASCII form: after leading spaces, a decimal number with at most one
    // sign, or "$" and hexadecimal digits taken as a 32-bit pattern. Anything else, including a
    // blank after the number or a number that does not fit 32 bits, reads as MinValue.
    // A read never clamps.
    std::int32_t read(std::string_view text) const;

    // The value limited to MinValue..MaxValue; with MinValue == MaxValue there is no range and
    // only the 32-bit limits apply.
    std::int32_t clamp(std::int64_t value) const;

    // The text for the clamped value: plain decimal, "-" before a negative number.
    std::string write(std::int64_t value) const;

    // The text after one step of Increment up or down from what the text reads.
    std::string stepUp(std::string_view text) const;
    std::string stepDown(std::string_view text) const;

    // Whether the text reads as a number that clamping would change: what leaving the field
    // rewrites. Text that is not a number reads as MinValue and is left alone.
    bool needsClamp(std::string_view text) const;
};

} // namespace navrik
