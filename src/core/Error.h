// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace navrik {

// The one kind of failure the program's own work can raise. Its message is shown to the
// user in the error box, followed by ".". Thrown by the settings file when a write fails.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace navrik
