// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>

namespace navrik {

// Marks a command of the windows (paste, quote, paste and quote) as running while it lives. Such a
// command lets the windows repaint between its steps, and work that comes from outside meanwhile
// (a command over the socket, the global shortcut) would run inside it, on the buffer it is
// filling. whenIdle() holds that work until the command is done.
class CommandScope {
public:
    CommandScope();
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    static bool running();

    // Runs work now when no command runs; else from the event loop once the running one has
    // ended, in the order given, unless context has been destroyed by then.
    static void whenIdle(QObject* context, std::function<void()> work);
};

} // namespace navrik
