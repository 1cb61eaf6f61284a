// SPDX-License-Identifier: MIT
#include "core/Autostart.h"

#include "core/ConfigLocation.h"
#include "core/Error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace navrik {

namespace {

// The line that marks an entry as Navrik's own.
constexpr std::string_view kMark = "X-Navrik-Entry=login";

constexpr std::string_view kEntry = "[Desktop Entry]\n"
                                    "Type=Application\n"
                                    "Name=Navrik\n"
                                    "Comment=Quotes e-mail text for replies\n"
                                    "Exec=navrik\n"
                                    "Icon=io.github.navrik.Navrik\n"
                                    "Terminal=false\n"
                                    "Categories=Utility;\n"
                                    "X-GNOME-Autostart-enabled=true\n"
                                    "X-Navrik-Entry=login\n";

// The entry as the desktop reads it: the keys of its [Desktop Entry] group.
struct Entry {
    bool exists = false;
    bool ours = false; // a plain file with Navrik's mark
    bool startsNavrik = false;
};

std::string trimmed(std::string text)
{
    const std::size_t from = text.find_first_not_of(" \t\r");
    const std::size_t to = text.find_last_not_of(" \t\r");
    return from == std::string::npos ? std::string() : text.substr(from, to - from + 1);
}

Entry readEntry(const fs::path& path)
{
    Entry entry;
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0)
        return entry;
    entry.exists = true;
    // Read as the desktop reads it, through a link too.
    std::ifstream in(path, std::ios::binary);
    bool inGroup = false;
    bool marked = false;
    bool application = false;
    bool shown = true;
    std::string program;
    for (std::string line; std::getline(in, line);) {
        line = trimmed(std::move(line));
        if (line.starts_with('[')) {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inGroup || equals == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (line == kMark)
            marked = true;
        else if (key == "Type")
            application = value == "Application";
        else if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false"))
            shown = false;
        else if (key == "Exec")
            std::istringstream(value) >> program;
    }
    if (program.size() >= 2 && (program.front() == '"' || program.front() == '\''))
        program = program.substr(1, program.size() - 2);
    entry.ours = marked && S_ISREG(link.st_mode);
    entry.startsNavrik = application && shown && fs::path(program).filename() == "navrik";
    return entry;
}

// A new file beside the entry, written and flushed, then renamed over it.
void writeEntry(const fs::path& path)
{
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::string temporary = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        throw Error(NAVRIK_MESSAGE("ログイン時の起動を設定できません"));
    std::FILE* file = ::fdopen(fd, "w");
    const bool written = file && std::fwrite(kEntry.data(), 1, kEntry.size(), file) == kEntry.size()
        && std::fflush(file) == 0 && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const bool closed = file ? std::fclose(file) == 0 : ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw Error(NAVRIK_MESSAGE("ログイン時の起動を設定できません"));
    }
}

} // namespace

fs::path autostartEntryPath()
{
    return configDirectory() / "autostart" / (std::string(kDesktopEntryId) + ".desktop");
}

bool autostartEnabled()
{
    return readEntry(autostartEntryPath()).startsNavrik;
}

void setAutostart(bool on)
{
    const fs::path path = autostartEntryPath();
    const Entry entry = readEntry(path);
    if (entry.exists && !entry.ours) {
        if (entry.startsNavrik == on)
            return;
        throw Error(NAVRIK_MESSAGE("%1 は Navrik が書いたものではないため変更しません"), {path.string()});
    }
    if (on) {
        writeEntry(path);
    } else if (entry.exists && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw Error(NAVRIK_MESSAGE("ログイン時の起動を解除できません"));
    }
}

} // namespace navrik
