// SPDX-License-Identifier: MIT
#include "core/Autostart.h"

#include "core/ConfigLocation.h"
#include "core/Error.h"

#include <fstream>
#include <string>
#include <system_error>

namespace navrik {

namespace {

constexpr const char* kEntry = "[Desktop Entry]\n"
                               "Type=Application\n"
                               "Name=Navrik\n"
                               "Comment=Quotes e-mail text for replies\n"
                               "Exec=navrik\n"
                               "Icon=io.github.navrik.Navrik\n"
                               "Terminal=false\n"
                               "Categories=Utility;\n"
                               "X-GNOME-Autostart-enabled=true\n";

} // namespace

std::filesystem::path autostartEntryPath()
{
    return configDirectory() / "autostart" / (std::string(kDesktopEntryId) + ".desktop");
}

bool autostartEnabled()
{
    std::error_code error;
    return std::filesystem::exists(autostartEntryPath(), error);
}

void setAutostart(bool on)
{
    const std::filesystem::path path = autostartEntryPath();
    std::error_code error;
    if (!on) {
        std::filesystem::remove(path, error);
        if (error)
            throw Error("ログイン時の起動を解除できません");
        return;
    }
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << kEntry;
    out.close();
    if (error || !out)
        throw Error("ログイン時の起動を設定できません");
}

} // namespace navrik
