// SPDX-License-Identifier: MIT
#pragma once

namespace navrik::desktop {

// The one place that tells X11 from Wayland. Everything that differs between them (the
// clipboard, the global shortcut, how the window is placed and dragged) asks here.

// A Wayland session: WAYLAND_DISPLAY names a compositor. Navrik's windows may still be on X11,
// through XWayland (see preferX11).
bool waylandSession();

// Inside a Wayland session that also offers X11, asks Qt for xcb (XWayland), since Navrik places
// its window and follows the pointer, which Wayland does not allow; unless the user chose a
// platform with QT_QPA_PLATFORM. Call before the application object exists.
void preferX11();

// Qt runs on X11: an X server of its own, or XWayland.
bool x11();

// The window manager decides where each window stands and ignores where a client asks to be,
// as the XWayland window manager of wlroots compositors (sway) does. There a window can only be
// dragged by asking the compositor to move it.
bool compositorPlacesWindows();

// The compositor hands the clipboard between Wayland and XWayland whichever window has the
// focus, as GNOME's mutter does (and keeps the last text copied once its owner has gone): there
// the clipboard of Navrik's X11 windows is the desktop's.
bool compositorSharesClipboardWithX11();

} // namespace navrik::desktop
