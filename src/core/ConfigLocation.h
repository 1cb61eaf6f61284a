// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

namespace navrik {

// The settings file keeps its historical name.
inline constexpr const char* kSettingsFileName = "tolvane.ini";

// The directory that holds the settings file: $XDG_CONFIG_HOME when it is set to an
// absolute path, else ~/.config. Nothing is created here.
std::filesystem::path configDirectory();

// configDirectory() / "tolvane.ini".
std::filesystem::path settingsFilePath();

} // namespace navrik
