// SPDX-License-Identifier: MIT
#pragma once

#include "gui/ErrorBox.h"

#include <QObject>

namespace navrik {

// Binds a signal to a handler of the window: the handler runs inside the error guard, so an
// error it raises is shown in the error box and the program goes on (see guarded()).
template <typename Sender, typename Signal, typename Window>
QMetaObject::Connection bindHandler(Sender* sender, Signal signal, Window* window, void (Window::*handler)())
{
    return QObject::connect(sender, signal, window, [window, handler] { guarded([&] { (window->*handler)(); }); });
}

} // namespace navrik
