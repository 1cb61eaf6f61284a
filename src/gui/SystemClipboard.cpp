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
    // Inside a Wayland session Navrik's windows live on XWayland, whose clipboard most compositors
    // share with Wayland's only while an X window has the focus. Where the compositor lets a
    // program read and set the clipboard without the focus, Navrik does that instead. GNOME's
    // shares the two clipboards whatever has the focus: there XWayland's is the desktop's.
    if (desktop::waylandSession()) {
        WaylandClipboard::Reach reach = WaylandClipboard::Reach::NoCompositor;
        if (std::unique_ptr<WaylandClipboard> wayland = WaylandClipboard::connect(reach))
            return wayland;
        if (reach == WaylandClipboard::Reach::NoDataControl && !desktop::compositorSharesClipboardWithX11())
            std::fputs(desktop::x11()
                           ? "navrik: this Wayland compositor offers no data-control protocol; Navrik sees the clipboard "
                             "as the compositor hands it to X windows, which may be only while one has the focus (see "
                             "WAYLAND in navrik(1))\n"
                           : "navrik: this Wayland compositor offers no data-control protocol and Navrik's window is not "
                             "on XWayland: Navrik reads and sets the clipboard only while its window has the focus (see "
                             "WAYLAND in navrik(1))\n",
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
