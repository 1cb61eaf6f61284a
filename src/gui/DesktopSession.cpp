// SPDX-License-Identifier: MIT
#include "gui/DesktopSession.h"

#include <QByteArray>
#include <QGuiApplication>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace navrik::desktop {

namespace {

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::uint16_t(qstrlen(name)), name), nullptr),
        std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The name the running window manager gives itself (_NET_WM_NAME of its check window).
QByteArray windowManagerName()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto property = [&](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        return XcbReply<xcb_get_property_reply_t>(
            xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 256), nullptr),
            std::free);
    };
    const auto check = property(root, atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || xcb_get_property_value_length(check.get()) != sizeof(xcb_window_t))
        return {};
    const xcb_window_t window = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    const auto name = property(window, atom(connection, "_NET_WM_NAME"), atom(connection, "UTF8_STRING"));
    if (!name)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(name.get())),
                      xcb_get_property_value_length(name.get()));
}

} // namespace

bool waylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void preferX11()
{
    if (waylandSession() && !qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

bool x11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool compositorPlacesWindows()
{
    // Asked once: the window manager of a session does not change while Navrik runs.
    static const bool placed = waylandSession() && x11() && windowManagerName() == "wlroots wm";
    return placed;
}

} // namespace navrik::desktop
