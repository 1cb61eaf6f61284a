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

// True when the entry exists.
bool autostartEnabled();

// Writes the entry (creating the autostart folder) or removes it. Throws navrik::Error when the
// file can't be written or removed; a missing entry is already removed.
void setAutostart(bool on);

} // namespace navrik
