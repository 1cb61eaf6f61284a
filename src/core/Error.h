// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// Marks a message of the core for the translations: the core has no Qt, the windows show the
// message translated (the translation tools know this name).
#define NAVRIK_MESSAGE(text) text

namespace navrik {

// The one kind of failure the program's own work can raise. Its message is shown to the
// user in the error box, followed by ".". Thrown by the settings file when a write fails.
//
// A message may hold %1, %2 ... for its arguments (a file name, the system's reason for a
// failure, another message): what() has them put in; the windows translate the message and
// each argument (an argument that is no message stays as it is) before they put them in.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message), m_format(message) {}
    Error(std::string format, std::vector<std::string> arguments);

    const std::string& format() const { return m_format; }
    const std::vector<std::string>& arguments() const { return m_arguments; }

private:
    std::string m_format;
    std::vector<std::string> m_arguments;
};

// The format with %1 to %9 replaced by the arguments in one pass (an argument's own "%2" stays as
// it is); a number without its argument stays.
std::string filledIn(const std::string& format, const std::vector<std::string>& arguments);

} // namespace navrik
