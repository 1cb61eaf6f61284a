// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <exception>
#include <utility>

namespace navrik {

// Shows the error box: the message followed by ".", caption "Navrik", a stop icon and one
// OK button. Returns when the user has dismissed it.
void showErrorBox(const QString& message);

// What an error says, in the language of the user interface: a navrik::Error's message and
// arguments translated, anything else as it stands.
QString messageOf(const std::exception& error);

// Runs one handler the way the event loop would: an error raised inside it skips the rest
// of the handler, is shown in the error box, and the program goes on. Returns false when
// the handler failed. Errors never travel through Qt's own frames.
template <typename Handler>
bool guarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception& error) {
        showErrorBox(messageOf(error));
        return false;
    }
}

} // namespace navrik
