// SPDX-License-Identifier: MIT
#include "gui/DesktopSession.h"

#include <QByteArray>
#include <QGuiApplication>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>

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

// A property of the running window manager's check window (_NET_SUPPORTING_WM_CHECK): its
// bytes, or nothing when there is no such window or it has no such property.
std::optional<QByteArray> windowManagerProperty(const char* propertyName, const char* typeName)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto property = [&](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        return XcbReply<xcb_get_property_reply_t>(
            xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 256), nullptr),
            std::free);
    };
    const auto check = property(root, atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || xcb_get_property_value_length(check.get()) != sizeof(xcb_window_t))
        return std::nullopt;
    const xcb_window_t window = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    const auto value = property(window, atom(connection, propertyName), atom(connection, typeName));
    if (!value || value->type == XCB_ATOM_NONE)
        return std::nullopt;
    return QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                      xcb_get_property_value_length(value.get()));
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
    static const bool placed = waylandSession() && x11()
                               && windowManagerProperty("_NET_WM_NAME", "UTF8_STRING") == QByteArray("wlroots wm");
    return placed;
}

bool compositorSharesClipboardWithX11()
{
    // Mutter, which GNOME Shell is built on, names its version on its check window.
    static const bool shared = waylandSession() && x11() && windowManagerProperty("_MUTTER_VERSION", "UTF8_STRING");
    return shared;
}

} // namespace navrik::desktop
