#include "app/Error.h"
#include "app/SettingsFile.h"
#include "app/SettingsKeys.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace navrik;

namespace {

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/navrik-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::permissions(m_dir, fs::perms::all); fs::remove_all(m_dir); }

    fs::path file() const { return m_dir / "tolvane.ini"; }
    void put(const std::string& bytes) const { std::ofstream(file(), std::ios::binary) << bytes; }
    static std::string contents(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return fs::is_regular_file(p) ? std::string(std::istreambuf_iterator<char>(in), {}) : "";
    }
    std::string contents() const { return contents(file()); }

    // The write must fail with the user's message and leave the file and its directory as they were.
    void expectWriteFails(const SettingsFile& settings, std::string_view value = "1") const
    {
        const std::string before = contents(settings.path());
        const auto entries = std::distance(fs::directory_iterator(m_dir), {});
        try {
            settings.WriteText("Inyou", "AutoPaste", value);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "tolvane.ini に書き込めません");
        }
        EXPECT_EQ(contents(settings.path()), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), entries) << "temporary file left";
    }

    fs::path m_dir;
};

TEST_F(SettingsFileTest, TextValuesAreTrimmedUnquotedAndCut)
{
    const std::pair<std::string, std::string> cases[] = {
        {"  \"> \" \t", "> "}, {" \t> \t", ">"}, {"\"", "\""}, {"\"abc'", "\"abc'"}, {"'x y'", "x y"},
        {"\"\"", ""}, {"\"\"x\"\"", "\"x\""}, {"", ""}, {"a=b", "a=b"},
        {std::string(1100, 'a'), std::string(1023, 'a')},
    };
    for (const auto& [raw, expected] : cases) {
        put("[Inyou]\r\nk=" + raw + "\r\n");
        EXPECT_EQ(SettingsFile(file()).ReadText("Inyou", "k", "default"), expected) << raw;
    }
}

TEST_F(SettingsFileTest, FindsTheFirstKeyOfTheNamedSectionInAnyLetterCase)
{
    put("\xEF\xBB\xBF; comment\nString=outside\n[Other]\nString=other\n[ inyou ]\n#String=c\n"
        "  string = first \nString=second\n[Inyou]\nFormLeft=9");
    const SettingsFile settings(file());
    EXPECT_EQ(settings.ReadText("INYOU", "STRING", "d"), "first");
    EXPECT_EQ(settings.ReadText("Other", "String", "d"), "other");
    EXPECT_EQ(settings.ReadText("Inyou", "FormLeft", " d "), " d ");
    EXPECT_EQ(settings.ReadText("None", "String", " d "), " d ");
    EXPECT_EQ(SettingsFile(m_dir / "missing.ini").ReadText("Inyou", "String", "> "), "> ");
    EXPECT_EQ(SettingsFile(m_dir).ReadNumber("Inyou", "FormLeft", 201), 201);
}

TEST_F(SettingsFileTest, NumbersAndFlags)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {"0x20", 32}, {"0X20", 32}, {"$20", 32}, {"+32", 32}, {"-20", -20}, {"$FFFFFFFF", -1},
        {"$0000000080000000", INT32_MIN}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"$100000000", 7}, {"2147483648", 7}, {"-2147483649", 7}, {"99999999999999999999", 7},
        {"-$20", 7}, {"32px", 7}, {"", 7}, {"3 2", 7}, {"0x", 7}, {"$", 7}, {"-", 7},
    };
    const SettingsFile settings(file());
    for (const auto& [raw, expected] : cases) {
        put("[Inyou]\r\nFormLeft=" + raw + "\r\n");
        EXPECT_EQ(settings.ReadNumber("Inyou", "FormLeft", 7), expected) << raw;
    }
    for (const auto& [raw, on, off] :
         {std::tuple{"2", true, true}, {"-1", true, true}, {"0", false, false}, {"yes", true, false}}) {
        put(std::string("[Inyou]\r\nAutoPaste=") + raw + "\r\n");
        EXPECT_EQ(settings.ReadFlag("Inyou", "AutoPaste", true), on) << raw;
        EXPECT_EQ(settings.ReadFlag("Inyou", "AutoPaste", false), off) << raw;
    }
}

TEST_F(SettingsFileTest, FirstRunWritesOfBothWindows)
{
    const SettingsFile settings(file());
    auto saveMainWindow = [&] {
        settings.WriteText(kSettingsSection, kKeyString.name, "\"> \"");
        settings.WriteNumber(kSettingsSection, kKeyFormLeft.name, 201);
        settings.WriteNumber(kSettingsSection, kKeyFormTop.name, 110);
        settings.WriteFlag(kSettingsSection, kKeyAutoPaste.name, false);
        settings.WriteFlag(kSettingsSection, kKeyStayOnTop.name, false);
    };
    saveMainWindow();
    EXPECT_EQ(contents(), "[Inyou]\r\nString=\"> \"\r\nFormLeft=201\r\nFormTop=110\r\nAutoPaste=0\r\nStayOnTop=0\r\n");
    EXPECT_EQ(settings.ReadText("Inyou", "String", ""), "> ");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(file()).permissions(), fs::perms(0666 & ~mask));

    fs::remove(file());
    for (const auto& [key, value] : {std::pair{"AutoPaste", 0}, {"AutoLines", 0}, {"StayOnTop", 0},
                                     {"Charcters", 70}, {"FormWidth", 300}, {"FormHeight", 200}})
        settings.WriteNumber(kSettingsSection, key, value);
    saveMainWindow();
    EXPECT_EQ(contents(), "[Inyou]\r\nAutoPaste=0\r\nAutoLines=0\r\nStayOnTop=0\r\nCharcters=70\r\n"
                          "FormWidth=300\r\nFormHeight=200\r\nString=\"> \"\r\nFormLeft=201\r\nFormTop=110\r\n");
}

TEST_F(SettingsFileTest, WritesKeepEveryOtherByte)
{
    const SettingsFile settings(file());
    const std::tuple<std::string, std::string, std::int32_t, std::string> cases[] = {
        // replaced where it stands, with the program's spelling, keeping the line's own ending
        {"[inyou]\nformleft = 5 \nFormTop=1", "FormLeft", -40, "[inyou]\nFormLeft=-40\nFormTop=1"},
        // new key after the section's last key line, before its blank and comment lines
        {"[Inyou]\r\nA=1\r\n\r\n;c\r\n[Other]\r\nB=2\r\n", "FormTop", 7,
         "[Inyou]\r\nA=1\r\nFormTop=7\r\n\r\n;c\r\n[Other]\r\nB=2\r\n"},
        {"\xEF\xBB\xBF[Inyou]\nB=2", "FormTop", 7, "\xEF\xBB\xBF[Inyou]\nB=2\r\nFormTop=7\r\n"},
        // a missing section goes at the end
        {"[Other]\nB=2", "FormTop", 7, "[Other]\nB=2\r\n[Inyou]\r\nFormTop=7\r\n"},
        {"\xEF\xBB\xBF", "FormTop", 7, "\xEF\xBB\xBF[Inyou]\r\nFormTop=7\r\n"},
    };
    for (const auto& [before, key, value, after] : cases) {
        put(before);
        fs::permissions(file(), fs::perms(0600));
        settings.WriteNumber("Inyou", key, value);
        EXPECT_EQ(contents(), after) << before;
        EXPECT_EQ(settings.ReadNumber("Inyou", key, 0), value) << before;
        EXPECT_EQ(fs::status(file()).permissions(), fs::perms(0600));
    }
    // A symbolic link stays and its target gets the new contents.
    fs::create_symlink("tolvane.ini", m_dir / "link.ini");
    SettingsFile(m_dir / "link.ini").WriteNumber("Inyou", "FormTop", 8);
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.ini"));
    EXPECT_EQ(contents(), "\xEF\xBB\xBF[Inyou]\r\nFormTop=8\r\n");
}

TEST_F(SettingsFileTest, FailedWritesRaiseTheErrorAndKeepTheOldFile)
{
    put("[Inyou]\r\nString=\"> \"\r\n");
    expectWriteFails(SettingsFile(file()), "a\r\nFormLeft=1");

    fs::permissions(file(), fs::perms(0444));
    expectWriteFails(SettingsFile(file()));
    fs::permissions(file(), fs::perms(0644));

    // Fails for root too: no file may grow beyond the old file's size, so the new one can't be written.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small{fs::file_size(file()), saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    expectWriteFails(SettingsFile(file()));
    ::setrlimit(RLIMIT_FSIZE, &saved);

    expectWriteFails(SettingsFile(file() / "tolvane.ini")); // its directory would be a regular file
    fs::create_directories(m_dir / "d/tolvane.ini");
    expectWriteFails(SettingsFile(m_dir / "d/tolvane.ini"));
    if (::geteuid() != 0) { // root writes into a read-only directory
        fs::permissions(m_dir, fs::perms(0555));
        expectWriteFails(SettingsFile(file()));
    }
}

TEST_F(SettingsFileTest, DamagedFilesGiveDefaultsAndSurviveAWrite)
{
    std::mt19937 random(1);
    std::string junk(10 * 1024 * 1024, '\0');
    for (char& c : junk)
        c = char(random());
    const SettingsFile settings(file());
    for (const std::string& bytes : {junk, std::string(3'000'000, '\n'), "[Inyou]\nString=" + std::string(5'000'000, 'x'),
                                     std::string("[Inyou\0]\nFormLeft\0=1\n", 22)}) {
        put(bytes);
        EXPECT_EQ(settings.ReadNumber("Inyou", "FormLeft", 201), 201);
        settings.WriteNumber("Inyou", "FormTop", -110);
        EXPECT_EQ(settings.ReadNumber("Inyou", "FormTop", 0), -110);
        EXPECT_EQ(contents().substr(0, bytes.size()), bytes);
    }
}

} // namespace
