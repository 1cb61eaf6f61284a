// SPDX-License-Identifier: MIT
#include "gui/SystemClipboard.h"

#include "gui/DesktopSession.h"
#include "gui/WaylandClipboard.h"

#include <cstdio>

namespace navrik {

std::unique_ptr<SystemClipboard> createQtSystemClipboard();
std::unique_ptr<SystemClipboard> createX11SystemClipboard();

namespace {

std::unique_ptr<SystemClipboard>& installed()
{
    static std::unique_ptr<SystemClipboard> clipboard;
    return clipboard;
}

std::unique_ptr<SystemClipboard> forPlatform()
{
    // Inside a Wayland session Navrik's windows live on XWayland, whose clipboard the compositor
    // shares with Wayland's only while an X window has the focus. Where the compositor lets a
    // program read and set the clipboard without the focus, Navrik does that instead.
    if (desktop::waylandSession()) {
        WaylandClipboard::Reach reach = WaylandClipboard::Reach::NoCompositor;
        if (std::unique_ptr<WaylandClipboard> wayland = WaylandClipboard::connect(reach))
            return wayland;
        if (reach == WaylandClipboard::Reach::NoDataControl && desktop::x11())
            std::fputs("navrik: this Wayland desktop gives no program the clipboard without the focus (it offers "
                       "no data-control protocol); see WAYLAND in navrik(1) for the shortcut that quotes there\n",
                       stderr);
    }
    if (desktop::x11()) {
        if (std::unique_ptr<SystemClipboard> x11 = createX11SystemClipboard())
            return x11;
    }
    return createQtSystemClipboard();
}

} // namespace

SystemClipboard& systemClipboard()
{
    std::unique_ptr<SystemClipboard>& clipboard = installed();
    if (!clipboard)
        clipboard = forPlatform();
    return *clipboard;
}

void installSystemClipboard(std::unique_ptr<SystemClipboard> clipboard)
{
    installed() = std::move(clipboard);
}

} // namespace navrik
