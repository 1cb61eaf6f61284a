// SPDX-License-Identifier: MIT
#include "core/Error.h"
#include "core/SettingsFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>

namespace fs = std::filesystem;
using namespace navrik;

// Counts umask calls: reading the umask by setting it races with other threads' new files.
static int g_umaskCalls = 0;
extern "C" mode_t umask(mode_t mask) { return ++g_umaskCalls, mode_t(::syscall(SYS_umask, mask)); }


// Runs f in a child process; endedWell tells whether it returned.
static pid_t spawn(const std::function<void()>& f)
{
    const pid_t child = ::fork();
    if (child == 0)
        try { f(), ::_exit(0); } catch (...) { ::_exit(1); }
    return child;
}

static bool endedWell(pid_t child)
{
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

static std::string utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text)
        bytes += bigEndian ? std::string{char(unit >> 8), char(unit & 0xFF)} : std::string{char(unit & 0xFF), char(unit >> 8)};
    return bytes;
}

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override { fs::remove_all(m_dir); fs::create_directories(m_dir); }
    void TearDown() override { fs::remove_all(m_dir); }

    void put(const std::string& bytes) const { std::ofstream(m_file, std::ios::binary) << bytes; }
    SettingsDocument document() const { return m_settings.load(); }
    void write(std::string_view section, std::string_view key, std::string_view value) const
    {
        m_settings.save([&](SettingsDocument& d) { return d.set(section, key, value) ? "" : std::string(key); });
    }
    std::string contents() const { return std::string(std::istreambuf_iterator<char>(std::ifstream(m_file).rdbuf()), {}); }
    void link(const char* target) const { fs::remove(m_file); fs::create_symlink(target, m_file); }
    std::set<std::string> entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.insert(entry.path().filename());
        return names;
    }

    // The write fails with the user's message, saying why, leaving the file and its folder as they were.
    void expectWriteFails(const std::string& why, std::string_view value = "1") const
    {
        const std::string before = contents();
        const auto names = entries();
        std::string message;
        try { write("Inyou", "AutoPaste", value); } catch (const Error& error) { message = error.what(); }
        EXPECT_EQ(message, "tolvane.ini に書き込めません（" + why + "）");
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(entries(), names) << "temporary file left";
    }

    const fs::path m_dir = fs::path(testing::TempDir()) / (std::to_string(getpid()) + testing::UnitTest::GetInstance()->current_test_info()->name());
    const fs::path m_file = m_dir / "tolvane.ini";
    const SettingsFile m_settings{m_file};
};

TEST_F(SettingsFileTest, TextValuesAreTrimmedUnquotedAndCut)
{
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"  \"> \" \t", "> "}, {"\"", "\""}, {"\"abc'", "\"abc'"}, {"'x y'", "x y"}, {"\"\"x\"\"", "\"x\""},
        {"a=b", "a=b"}, {std::string(1100, 'a'), std::string(1023, 'a')},
        // bytes are never decoded; a NUL ends the value, before the quotes are looked at
        {"\x80\xA0\xEF\xBC\x9E\xFD\xFE\xFF", "\x80\xA0\xEF\xBC\x9E\xFD\xFE\xFF"},
        {"\"> \"\0junk\""s, "> "}, {"\"x\0\""s, "\"x"}, {"\0x"s, ""},
    };
    for (const auto& [raw, expected] : cases) {
        put("[Inyou]\r\nk=" + raw + "\r\n");
        EXPECT_EQ(document().text("Inyou", "k", "default"), expected) << raw;
    }
    put("\xEF\xBB\xBF; comment\nString=outside\n[Other]\nString=other\n[ inyou ]\n#String=c\n"
        "  string = first \nString=second\n[Inyou]\nFormLeft=9");
    EXPECT_EQ(document().text("INYOU", "STRING", "d"), "first");
    EXPECT_EQ(document().text("Other", "String", "d"), "other");
    EXPECT_EQ(document().text("Inyou", "FormLeft", " d "), " d "); // only the first section counts

    // A header needs its closing bracket, and a bare key name is the key, holding no value.
    put("[Other]\r\n[Inyou\r\nFormLeft=3\r\n[Inyou]\r\nString\r\nString=y\r\n");
    EXPECT_EQ(document().number("Other", "FormLeft", 7), 3);
    EXPECT_EQ(document().number("Inyou", "FormLeft", 7), 7);
    EXPECT_EQ(document().text("Inyou", "String", "d"), "d");
}

TEST_F(SettingsFileTest, NumbersAndFlags)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        // the number itself is read as the spin fields read it (SpinValueTest); "0x" is the file's own
        {"0x20", 32}, {"0X20", 32}, {"$20", 32}, {"-20", -20}, {"0x", 7}, {"0x-1", 7}, {"32px", 7}, {"", 7},
    };
    for (const auto& [raw, expected] : cases) {
        put("[Inyou]\r\nFormLeft=" + raw + "\r\n");
        EXPECT_EQ(document().number("Inyou", "FormLeft", 7), expected) << raw;
    }
    for (const auto& [raw, on, off] : {std::tuple{"2", true, true}, {"0", false, false}, {"yes", true, false}}) {
        put(std::string("[Inyou]\r\nAutoPaste=") + raw + "\r\n");
        EXPECT_EQ(document().flag("Inyou", "AutoPaste", true), on) << raw;
        EXPECT_EQ(document().flag("Inyou", "AutoPaste", false), off) << raw;
    }
}

TEST_F(SettingsFileTest, WritesKeepEveryOtherByte)
{
    const std::tuple<std::string, std::string, std::int32_t, std::string> cases[] = {
        // replaced where it stands, keeping the key's own spelling and the line's own ending
        {"[inyou]\nformleft = 5 \nFormTop=1", "FormLeft", -40, "[inyou]\nformleft=-40\nFormTop=1"},
        // a bare key name is the key's first line
        {"[Inyou]\r\n  formtop\r\nFormTop=1\r\n", "FormTop", 7, "[Inyou]\r\n  formtop=7\r\nFormTop=1\r\n"},
        // new key after the section's last key line, before its blank and comment lines
        {"[Inyou]\r\nA=1\r\n\r\n;c\r\n[Other]\r\nB=2\r\n", "FormTop", 7,
         "[Inyou]\r\nA=1\r\nFormTop=7\r\n\r\n;c\r\n[Other]\r\nB=2\r\n"},
        {"\xEF\xBB\xBF[Inyou]\nB=2", "FormTop", 7, "\xEF\xBB\xBF[Inyou]\nB=2\r\nFormTop=7\r\n"},
        // a missing section goes at the end; a header without its bracket is no section
        {"[Other]\nB=2", "FormTop", 7, "[Other]\nB=2\r\n[Inyou]\r\nFormTop=7\r\n"},
        {"[Inyou\r\n", "FormTop", 7, "[Inyou\r\n[Inyou]\r\nFormTop=7\r\n"},
    };
    for (const auto& [before, key, value, after] : cases) {
        put(before);
        fs::permissions(m_file, fs::perms(0640));
        write("Inyou", key, std::to_string(value));
        EXPECT_EQ(contents(), after) << before;
        EXPECT_EQ(fs::status(m_file).permissions(), fs::perms(0640));
    }

    // Any size that fits in memory is read and rewritten.
    put("[Inyou]\r\nFormLeft=3\r\n");
    fs::resize_file(m_file, 65 << 20);
    EXPECT_EQ(document().number("Inyou", "FormLeft", 7), 3);
    write("Inyou", "FormLeft", "4");
    EXPECT_EQ(document().number("Inyou", "FormLeft", 7), 4);
    EXPECT_EQ(fs::file_size(m_file), std::uintmax_t(65 << 20));
}

// After a UTF-16 byte-order mark values read and write in code page 932; other units are kept.
TEST_F(SettingsFileTest, Utf16FilesStayUtf16)
{
    for (const bool bigEndian : {false, true}) {
        put(utf16(u"[Inyou]\r\nString=\"＞ \"\r\nFormLeft=5\r\n[Other]\r\nString=\"😀\"\r\n;\xD800\r\n", bigEndian) + "!");
        EXPECT_EQ(document().text("Inyou", "String", "d"), "\x81\x84 ");
        EXPECT_EQ(document().number("Inyou", "FormLeft", 7), 5);
        EXPECT_EQ(document().text("Other", "String", "d"), "?");

        // What was read goes back unchanged, even where code page 932 can't hold it.
        const std::string before = contents();
        write("Other", "String", "\"?\"");
        write("Inyou", "String", "\"\x81\x84 \"");
        EXPECT_EQ(contents(), before);

        write("Inyou", "String", "\"\x88\xF8 \"");
        write("Inyou", "FormTop", "7");
        write("New", "A", "1");
        EXPECT_EQ(contents(), utf16(u"[Inyou]\r\nString=\"引 \"\r\nFormLeft=5\r\nFormTop=7\r\n"
                                    u"[Other]\r\nString=\"😀\"\r\n;\xD800\r\n[New]\r\nA=1\r\n", bigEndian) + "!");
    }
}

TEST_F(SettingsFileTest, FailedWritesRaiseTheErrorAndKeepTheOldFile)
{
    const std::string unstorable = "AutoPaste の値に保存できない文字があります";
    expectWriteFails(unstorable, "a\r\nFormLeft=1"); // no file left behind either
    put("[Inyou]\r\nString=\"> \"\r\n");
    expectWriteFails(unstorable, "a\r\nFormLeft=1");

    // Fails for root too: no file may grow beyond the old file's size.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small{fs::file_size(m_file), saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    expectWriteFails("File too large");
    ::setrlimit(RLIMIT_FSIZE, &saved);

    fs::permissions(m_file, fs::perms(0444));
    expectWriteFails("読み取り専用のファイルです");

    // A pipe in the file's place is never replaced by a file.
    fs::remove(m_file);
    ASSERT_EQ(::mkfifo(m_file.c_str(), 0600), 0);
    try {
        write("Inyou", "AutoPaste", "1");
        ADD_FAILURE() << "a pipe was written";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("ふつうのファイルではありません"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(fs::is_fifo(m_file));
}

// A symbolic link is followed only to an existing regular file of the link folder's owner.
TEST_F(SettingsFileTest, LinksLeadOnlyToTheUsersOwnFile)
{
    fs::create_directories(m_dir / "real");
    std::ofstream(m_dir / "real/tolvane.ini") << "[Inyou]\r\n";
    link("real/tolvane.ini");
    write("Inyou", "FormTop", "7");
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_EQ(contents(), "[Inyou]\r\nFormTop=7\r\n");

    for (const char* target : {"missing/tolvane.ini", "real"}) {
        link(target);
        EXPECT_THROW(write("Inyou", "FormTop", "7"), Error) << target;
    }
    EXPECT_FALSE(fs::exists(m_dir / "missing"));

    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((m_dir / "real/tolvane.ini").c_str(), 65534, 65534), 0);
        link("real/tolvane.ini");
        expectWriteFails("リンク先がほかのユーザーのファイルです");
    }
}

// Where replacing the file would lose something, it is rewritten where it stands.
TEST_F(SettingsFileTest, TheFileKeepsItsLinksAttributesAndMode)
{
    put("[Inyou]\r\n");
    fs::create_hard_link(m_file, m_dir / "other.ini");
    write("Inyou", "FormTop", "1");
    EXPECT_EQ(fs::hard_link_count(m_file), 2u);
    EXPECT_TRUE(fs::equivalent(m_file, m_dir / "other.ini"));
    fs::remove(m_dir / "other.ini");

    const bool userAttributes = ::setxattr(m_file.c_str(), "user.navrik", "x", 1, 0) == 0; // not on older tmpfs
    const std::string getfacl = "getfacl -cp " + m_file.string(), acl = (m_dir / "acl").string();
    ASSERT_EQ(std::system(("setfacl -m u:65534:rw " + m_file.string() + " && " + getfacl + " >" + acl).c_str()), 0);
    write("Inyou", "FormTop", "2");
    char value[8] = {};
    EXPECT_TRUE(!userAttributes || ::getxattr(m_file.c_str(), "user.navrik", value, sizeof value) == 1);
    EXPECT_EQ(std::system((getfacl + " | cmp -s - " + acl).c_str()), 0) << "access control list changed";
    EXPECT_EQ(contents(), "[Inyou]\r\nFormTop=2\r\n");

    // A new file gets the umask's mode, without the process umask being changed to read it.
    fs::remove(m_file);
    const mode_t saved = ::umask(027);
    g_umaskCalls = 0;
    write("Inyou", "FormTop", "3");
    EXPECT_EQ(g_umaskCalls, 0);
    ::umask(saved);
    EXPECT_EQ(fs::status(m_file).permissions(), fs::perms(0640));
}

TEST_F(SettingsFileTest, StaleTemporaryFilesAreRemoved)
{
    put("[Inyou]\r\n");
    for (const char* name : {".tolvane.ini.AbC123", ".tolvane.ini.live12", ".tolvane.ini.bak", "tolvane.ini.XYZ123"})
        std::ofstream(m_dir / name) << "x";
    const int live = ::open((m_dir / ".tolvane.ini.live12").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);   // a save in progress elsewhere
    write("Inyou", "FormTop", "1");
    ::close(live);
    EXPECT_EQ(entries(), (std::set<std::string>{"tolvane.ini", ".tolvane.ini.live12", ".tolvane.ini.bak", "tolvane.ini.XYZ123"}));
}

// A folder that refuses the temporary file doesn't block a save to a writable file.
TEST_F(SettingsFileTest, AReadOnlyFolderGetsTheFileRewrittenInPlace)
{
    put("[Inyou]\r\nFormTop=1\r\n");
    ASSERT_EQ(::chown(m_file.c_str(), 65534, 65534), ::geteuid() == 0 ? 0 : -1);
    fs::permissions(m_dir, fs::perms(0555));
    EXPECT_TRUE(endedWell(spawn([&] { // as nobody when run as root, so that the folder's mode applies
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            throw 0;
        write("Inyou", "FormTop", "22");
    })));
    fs::permissions(m_dir, fs::perms(0755));
    EXPECT_EQ(contents(), "[Inyou]\r\nFormTop=22\r\n");
    EXPECT_EQ(entries(), std::set<std::string>{"tolvane.ini"});
}

// Two processes saving at once take turns: every key of both is kept.
TEST_F(SettingsFileTest, ParallelSavesLoseNoKey)
{
    const auto key = [](int key) { return "K" + std::to_string(key / 100) + "_" + std::to_string(key % 100); };
    const auto writer = [&](int first) { return spawn([&, first] { for (int k = first; k < first + 100; ++k) write("Inyou", key(k), std::to_string(k)); }); };
    const pid_t one = writer(0), other = writer(100);
    EXPECT_TRUE(endedWell(one));
    EXPECT_TRUE(endedWell(other));
    int missing = 0;
    for (int k = 0; k < 200; ++k)
        missing += document().number("Inyou", key(k), -1) != k;
    EXPECT_EQ(missing, 0);

    // A save that never ends elsewhere (a stopped process) gives the write error, not a hang.
    const int held = ::open(m_file.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    expectWriteFails("ほかのプログラムが保存を終えません");
    ::close(held);
}

