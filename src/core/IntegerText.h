// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace navrik {

// Reads a whole number written the way the settings file and the spin fields write and
// accept it: decimal with one optional sign, from -2147483648 to 2147483647, or "$" and
// hexadecimal digits (either case, no sign) taken as a 32-bit pattern, so "$FFFFFFFF" is -1.
// Leading zeros are allowed. Anything else, a blank anywhere included, gives nothing.
std::optional<std::int32_t> readInt32(std::string_view text);

} // namespace navrik
