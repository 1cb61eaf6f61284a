// SPDX-License-Identifier: MIT
#include "core/Error.h"

#include <utility>

namespace navrik {

std::string filledIn(const std::string& format, const std::vector<std::string>& arguments)
{
    std::string text;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const std::size_t n = i + 1 < format.size() ? std::size_t(format[i + 1] - '1') : arguments.size();
        if (format[i] == '%' && n < arguments.size() && n < 9) {
            text += arguments[n];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

Error::Error(std::string format, std::vector<std::string> arguments)
    : std::runtime_error(filledIn(format, arguments))
    , m_format(std::move(format))
    , m_arguments(std::move(arguments))
{
}

} // namespace navrik
