// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

namespace navrik {

// The desktop entry id the package installs Navrik under, also the id of its AppStream metadata
// and its themed icon; the login entry shares it, so a desktop that lists both shows them as one
// program.
inline constexpr const char* kDesktopEntryId = "io.github.navrik.Navrik";

// The XDG autostart entry that starts Navrik at login:
// configDirectory() / "autostart" / "io.github.navrik.Navrik.desktop".
std::filesystem::path autostartEntryPath();

// True when the entry would start Navrik at login: an application entry whose command is navrik,
// neither hidden (Hidden=true, which the autostart rules read as removed) nor switched off
// (X-GNOME-Autostart-enabled=false). The user's own entry counts as much as Navrik's.
bool autostartEnabled();

// Writes Navrik's own entry, marked inside as Navrik's, or removes it. Only an entry that Navrik
// wrote is replaced or removed: a user's own entry, or anything but a plain file (a symbolic link
// is never followed), is left alone, and asking to change it raises navrik::Error saying so
// unless it already is as asked. The entry is written to a new file that replaces the old one
// whole, so a full disk leaves the old entry, or none, never part of one. Throws navrik::Error
// when the file can't be written or removed.
void setAutostart(bool on);

} // namespace navrik
