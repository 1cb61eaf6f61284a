// SPDX-License-Identifier: MIT
#include "core/Autostart.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <fstream>

namespace fs = std::filesystem;
using namespace navrik;


class AutostartTest : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_config / "autostart"), ::setenv("XDG_CONFIG_HOME", m_config.c_str(), 1); }
    void TearDown() override { fs::remove_all(m_config); }

    static void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string read(const fs::path& path) { return {std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {}}; }

    const fs::path m_config = fs::temp_directory_path() / ("navrik-autostart-" + std::to_string(::getpid()));
};


// Navrik's own entry comes and goes; the user's own stays as it is, on only if it starts Navrik.
TEST_F(AutostartTest, OnlyNavriksOwnEntryIsWrittenOrRemoved)
{
    const fs::path entry = autostartEntryPath();
    setAutostart(true);
    EXPECT_TRUE(autostartEnabled());
    EXPECT_NE(read(entry).find("\nExec=navrik\n"), std::string::npos);
    setAutostart(false);
    EXPECT_FALSE(fs::exists(entry));

    const std::string own = "[Desktop Entry]\nType=Application\nExec=navrik --show\nX-GNOME-Autostart-Delay=5\n";
    for (const std::string off : {"", "Hidden=true\n", "X-GNOME-Autostart-enabled=false\n"}) {
        write(entry, own + off);
        EXPECT_EQ(autostartEnabled(), off.empty()) << off;
        EXPECT_NO_THROW(setAutostart(off.empty()));
        EXPECT_THROW(setAutostart(!off.empty()), Error);
        EXPECT_EQ(read(entry), own + off);
    }
    write(entry, "[Desktop Entry]\nType=Application\nExec=other-program\n");
    EXPECT_FALSE(autostartEnabled());
}

// A link in the entry's place is not followed: the file it leads to stays as it was.
TEST_F(AutostartTest, NeverThroughALink)
{
    write(m_config / "notes.txt", "the user's notes\n");
    fs::create_symlink(m_config / "notes.txt", autostartEntryPath());
    EXPECT_THROW(setAutostart(true), Error);
    EXPECT_EQ(read(m_config / "notes.txt"), "the user's notes\n");
    EXPECT_TRUE(fs::is_symlink(autostartEntryPath()));
}

// A write that fails half-way (past the file size limit, as on a full disk) leaves no entry.
TEST_F(AutostartTest, AFailedWriteLeavesNoPartOfAnEntry)
{
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit tiny{16, limit.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    EXPECT_THROW(setAutostart(true), Error);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(fs::exists(autostartEntryPath()));
    EXPECT_FALSE(autostartEnabled());
}
