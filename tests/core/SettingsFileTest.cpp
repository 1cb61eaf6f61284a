#include "core/Error.h"
#include "core/SettingsFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

namespace fs = std::filesystem;
using namespace navrik;

namespace {

std::string utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(char(bigEndian ? unit >> 8 : unit & 0xFF));
        bytes.push_back(char(bigEndian ? unit & 0xFF : unit >> 8));
    }
    return bytes;
}

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override { fs::remove_all(m_dir); fs::create_directories(m_dir); }
    void TearDown() override { fs::remove_all(m_dir); }

    void put(const std::string& bytes) const { std::ofstream(m_file, std::ios::binary) << bytes; }
    std::string contents() const { return std::string(std::istreambuf_iterator<char>(std::ifstream(m_file).rdbuf()), {}); }

    // The write must fail with the user's message and leave the file and its directory as they were.
    void expectWriteFails(std::string_view value = "1") const
    {
        const std::string before = contents();
        const auto entries = std::distance(fs::directory_iterator(m_dir), {});
        std::string message;
        try {
            m_settings.WriteText("Inyou", "AutoPaste", value);
        } catch (const Error& error) {
            message = error.what();
        }
        EXPECT_EQ(message, "tolvane.ini に書き込めません");
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), entries) << "temporary file left";
    }

    const fs::path m_dir = fs::path(testing::TempDir())
        / (std::to_string(getpid()) + testing::UnitTest::GetInstance()->current_test_info()->name());
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
        EXPECT_EQ(m_settings.ReadText("Inyou", "k", "default"), expected) << raw;
    }
    put("\xEF\xBB\xBF; comment\nString=outside\n[Other]\nString=other\n[ inyou ]\n#String=c\n"
        "  string = first \nString=second\n[Inyou]\nFormLeft=9");
    EXPECT_EQ(m_settings.ReadText("INYOU", "STRING", "d"), "first");
    EXPECT_EQ(m_settings.ReadText("Other", "String", "d"), "other");
    EXPECT_EQ(m_settings.ReadText("Inyou", "FormLeft", " d "), " d "); // only the first section counts

    // A header needs its closing bracket, and a bare key name is the key, holding no value.
    put("[Other]\r\n[Inyou\r\nFormLeft=3\r\n[Inyou]\r\nString\r\nString=y\r\n");
    EXPECT_EQ(m_settings.ReadNumber("Other", "FormLeft", 7), 3);
    EXPECT_EQ(m_settings.ReadNumber("Inyou", "FormLeft", 7), 7);
    EXPECT_EQ(m_settings.ReadText("Inyou", "String", "d"), "d");
}

TEST_F(SettingsFileTest, NumbersAndFlags)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {"0x20", 32}, {"0X20", 32}, {"$20", 32}, {"-20", -20}, {"$FFFFFFFF", -1}, {"$100000000", 7},
        {"2147483648", 7}, {"-$20", 7}, {"32px", 7}, {"", 7}, {"3 2", 7}, {"0x", 7}, {"0x-1", 7},
    };
    for (const auto& [raw, expected] : cases) {
        put("[Inyou]\r\nFormLeft=" + raw + "\r\n");
        EXPECT_EQ(m_settings.ReadNumber("Inyou", "FormLeft", 7), expected) << raw;
    }
    for (const auto& [raw, on, off] : {std::tuple{"2", true, true}, {"0", false, false}, {"yes", true, false}}) {
        put(std::string("[Inyou]\r\nAutoPaste=") + raw + "\r\n");
        EXPECT_EQ(m_settings.ReadFlag("Inyou", "AutoPaste", true), on) << raw;
        EXPECT_EQ(m_settings.ReadFlag("Inyou", "AutoPaste", false), off) << raw;
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
        m_settings.WriteNumber("Inyou", key, value);
        EXPECT_EQ(contents(), after) << before;
        EXPECT_EQ(fs::status(m_file).permissions(), fs::perms(0640));
    }

    // Any size that fits in memory is read and rewritten.
    put("[Inyou]\r\nFormLeft=3\r\n");
    fs::resize_file(m_file, 65 << 20);
    EXPECT_EQ(m_settings.ReadNumber("Inyou", "FormLeft", 7), 3);
    m_settings.WriteNumber("Inyou", "FormLeft", 4);
    EXPECT_EQ(m_settings.ReadNumber("Inyou", "FormLeft", 7), 4);
    EXPECT_EQ(fs::file_size(m_file), std::uintmax_t(65 << 20));
}

// A file with a UTF-16 byte-order mark reads and writes as UTF-16, with values in code page 932
// as from any other file.
TEST_F(SettingsFileTest, Utf16FilesStayUtf16)
{
    for (const bool bigEndian : {false, true}) {
        put(utf16(u"[Inyou]\r\nString=\"＞ \"\r\nFormLeft=5\r\n[Other]\r\nString=\"😀\"\r\n", bigEndian) + "!");
        EXPECT_EQ(m_settings.ReadText("Inyou", "String", "d"), "\x81\x84 ");
        EXPECT_EQ(m_settings.ReadNumber("Inyou", "FormLeft", 7), 5);
        EXPECT_EQ(m_settings.ReadText("Other", "String", "d"), "?");

        // What was read goes back unchanged, even where code page 932 can't hold it.
        const std::string before = contents();
        m_settings.WriteText("Other", "String", "\"?\"");
        m_settings.WriteText("Inyou", "String", "\"\x81\x84 \"");
        EXPECT_EQ(contents(), before);

        m_settings.WriteText("Inyou", "String", "\"\x88\xF8 \"");
        m_settings.WriteNumber("Inyou", "FormTop", 7);
        m_settings.WriteNumber("New", "A", 1);
        EXPECT_EQ(contents(), utf16(u"[Inyou]\r\nString=\"引 \"\r\nFormLeft=5\r\nFormTop=7\r\n"
                                    u"[Other]\r\nString=\"😀\"\r\n[New]\r\nA=1\r\n", bigEndian) + "!");
    }
}

TEST_F(SettingsFileTest, FailedWritesRaiseTheErrorAndKeepTheOldFile)
{
    put("[Inyou]\r\nString=\"> \"\r\n");
    expectWriteFails("a\r\nFormLeft=1");

    // Fails for root too: no file may grow beyond the old file's size, so the new one can't be written.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small{fs::file_size(m_file), saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    expectWriteFails();
    ::setrlimit(RLIMIT_FSIZE, &saved);

    fs::permissions(m_file, fs::perms(0444));
    expectWriteFails();
}

} // namespace
