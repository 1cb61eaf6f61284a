// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace navrik {

// X11's COMPOUND_TEXT as UTF-8. It is ISO 2022: ASCII in the left half (GL) and Latin-1's right
// half in GR at the start, and escape sequences that designate other character sets to either
// half (JIS X 0208, 0212 and 0201, GB 2312, KS C 5601, the ISO 8859 parts), or open a UTF-8
// segment. Each set's characters are converted by ICU; a byte that no designated set gives a
// character becomes U+FFFD, so nothing is dropped unseen.
std::string compoundTextToUtf8(std::string_view bytes);

} // namespace navrik
