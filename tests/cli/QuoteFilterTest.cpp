#include "core/Error.h"
#include "cli/QuoteFilter.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace navrik;

namespace {

struct FilterRun {
    int status;
    std::string out, err;
};
// Runs the built navrik-quote with a settings directory of its own (holding settings, when
// given) and input on its standard input. The arguments may end in a pipe; the status is then
// navrik-quote's own.
FilterRun runFilter(const std::string& arguments, const std::string& input, const std::string& settings = {})
{
    static int count = 0;
    const auto dir = std::filesystem::path(testing::TempDir())
        / ("navrik-quote-" + std::to_string(getpid()) + "-" + std::to_string(++count));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, const std::string& bytes) { std::ofstream(dir / name) << bytes; };
    if (!settings.empty())
        write("tolvane.ini", settings);
    write("in", input);
    write("run.sh", "XDG_CONFIG_HOME=\"$PWD\" '" NAVRIK_QUOTE_BINARY "' < in 2> err " + arguments + " > out\n");
    const int status = std::system(("cd '" + dir.string() + "' && bash -o pipefail run.sh").c_str());
    const auto read = [&](const char* name) {
        std::ifstream file(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    return {WEXITSTATUS(status), read("out"), read("err")};
}

} // namespace

TEST(QuoteFilter, optionsOverrideTheDefaultsInOrder)
{
    QuoteOptions options;
    EXPECT_EQ(parseQuoteFilterArguments({"-m", "", "-w", "40", "-W", "-m>>", "-w100000"}, options), QuoteFilterAction::Quote);
    EXPECT_EQ(options.mark, ">>");
    EXPECT_TRUE(options.adjustLines);
    EXPECT_EQ(options.charactersPerLine, 100000);
    EXPECT_EQ(parseQuoteFilterArguments({"-s", "-S", "--smart"}, options), QuoteFilterAction::Quote);
    EXPECT_TRUE(options.smartBreaks);
    EXPECT_EQ(parseQuoteFilterArguments({"--version", "-x"}, options), QuoteFilterAction::ShowVersion);
    EXPECT_EQ(parseQuoteFilterArguments({"-W", "--help"}, options), QuoteFilterAction::ShowHelp);
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"-x"}, {"file.txt"}, {"-m"}, {"-w", "abc"}, {"-w", "0"}, {"-w", "100001"}, {"-w", "7x"}})
        EXPECT_THROW(parseQuoteFilterArguments(wrong, options), Error) << wrong[0];
}

TEST(QuoteFilter, takesItsDefaultsFromTheSettingsFile)
{
    const std::string line(30, 'a');
    EXPECT_EQ(runFilter("", line + "\n").out, "> " + line + "\n"); // no file: "> ", no line adjustment
    // A mark in code page 932, line adjustment on, 10 characters raised to 20; first key wins.
    const std::string settings = "[Other]\r\nString=\"x\"\r\n[inyou]\r\nstring=\"\x81\x84 \"\r\nAutoLines=1\r\n"
                                 "Charcters=0x0A\r\nAutoLines=0\r\n";
    EXPECT_EQ(runFilter("", line + "\n", settings).out, "＞ " + line.substr(0, 17) + "\n＞ " + line.substr(17) + "\n");
    EXPECT_EQ(runFilter("-W", line, settings).out, "＞ " + line);
    EXPECT_EQ(runFilter("-m '' -w 25", line, settings).out, line.substr(0, 25) + "\n" + line.substr(25));
    // Smart breaking saved on: words stay whole, unless -S turns it off for the run.
    const std::string words = "the meeting schedule is here\n", on = "AutoLines=1\r\nCharcters=20\r\n";
    const std::string cut = "> the meeting schedu\n> le is here\n", whole = "> the meeting \n> schedule is here\n";
    EXPECT_EQ(runFilter("", words, "[Inyou]\r\n" + on).out, cut);
    EXPECT_EQ(runFilter("", words, "[Inyou]\r\n" + on + "SmartBreaks=1\r\n").out, whole);
    EXPECT_EQ(runFilter("-S", words, "[Inyou]\r\n" + on + "SmartBreaks=1\r\n").out, cut);
    EXPECT_EQ(runFilter("-w 20 --smart", words).out, whole);
    // A mark that is UTF-8 and not code page 932, as an editor saves it, is read as UTF-8.
    EXPECT_EQ(runFilter("-W", line, "[Inyou]\r\nString=\"\xEF\xBC\x9E \"\r\n").out, "＞ " + line);
}

TEST(QuoteFilter, keepsEveryBreakAcrossReadChunks)
{
    EXPECT_EQ(runFilter("-w 4", "ab\r\n\ncd\ref\r\nxyz\xFF").out, "> ab\r\n> \n> cd\r> ef\r\n> xy\r\n> z\xFF");
    // A CR LF whose CR ends the first read (1 MB) is still one break, and a line longer than a
    // read comes out whole.
    const std::string longLine((1 << 20) - 1, 'a');
    const std::string longerLine(5 << 20, 'b');
    EXPECT_TRUE(runFilter("-W", longLine + "\r\n" + longerLine + "\r\nc").out
                == "> " + longLine + "\r\n> " + longerLine + "\r\n> c");
}

// A bad option, a directory as input, and a reader that goes away (reported, not left to SIGPIPE).
TEST(QuoteFilter, reportsFailuresOnOneLine)
{
    for (const auto& [arguments, input, status] : {std::tuple{"-w lots", std::size_t(0), 2},
                                                   {"< /", 0, 1}, {"| head -c1", 8 << 20, 1}}) {
        const FilterRun run = runFilter(arguments, std::string(input, 'x'));
        EXPECT_EQ(run.status, status) << arguments;
        EXPECT_TRUE(run.err.starts_with("navrik-quote: ")) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
}
