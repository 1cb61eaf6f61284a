// SPDX-License-Identifier: MIT
#include "core/ConfigLocation.h"

#include <cstdlib>

namespace navrik {

std::filesystem::path configDirectory()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return std::filesystem::path(xdg);
    if (const char* home = std::getenv("HOME"); home && home[0] != '\0')
        return std::filesystem::path(home) / ".config";
    return std::filesystem::path(".config");
}

std::filesystem::path settingsFilePath()
{
    return configDirectory() / kSettingsFileName;
}

} // namespace navrik
