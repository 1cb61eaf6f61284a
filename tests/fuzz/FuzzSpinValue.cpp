// The spin fields' number reader against a reference built from the standard library: leading
// spaces, then a decimal number with at most one sign in the 32-bit range, or "$" and 1 to 8
// significant hexadecimal digits taken as a 32-bit pattern; anything else reads as MinValue.
#include "core/SpinValue.h"

#include <cctype>
#include <cstdlib>
#include <string>

using namespace navrik;

namespace {

std::int32_t reference(std::string text, std::int32_t minValue)
{
    text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
    if (text.empty())
        return minValue;
    const bool hex = text[0] == '$';
    const std::string digits = hex ? text.substr(1) : (text[0] == '+' || text[0] == '-') ? text.substr(1) : text;
    if (digits.empty())
        return minValue;
    for (char c : digits) {
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
            return minValue;
    }
    const std::string significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.size() > (hex ? 8 : 10))
        return minValue;
    if (hex)
        return std::int32_t(std::uint32_t(std::stoull(significant.empty() ? "0" : significant, nullptr, 16)));
    const long long value = std::stoll((text[0] == '-' ? "-" : "") + (significant.empty() ? "0" : significant));
    if (value < INT32_MIN || value > INT32_MAX)
        return minValue;
    return std::int32_t(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const SpinValue rules{-7, 99, 1};
    if (rules.read(text) != reference(text, rules.MinValue))
        std::abort();
    return 0;
}
