#include "app/Error.h"
#include "quoting/QuoteFilter.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace navrik;

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

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
    const auto dir = std::filesystem::path(testing::TempDir()) / ("navrik-quote-" + std::to_string(++count));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    if (!settings.empty())
        writeFile(dir / "tolvane.ini", settings);
    writeFile(dir / "in", input);
    writeFile(dir / "run.sh", "XDG_CONFIG_HOME='" + dir.string() + "' '" NAVRIK_QUOTE_BINARY "' < in 2> err "
                                  + arguments + " > out\n");
    const int status = std::system(("cd '" + dir.string() + "' && bash -o pipefail run.sh").c_str());
    return {WEXITSTATUS(status), readFile(dir / "out"), readFile(dir / "err")};
}

void expectOneErrorLine(const FilterRun& run, int status)
{
    EXPECT_EQ(run.status, status);
    EXPECT_TRUE(run.err.starts_with("navrik-quote: ")) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

} // namespace

TEST(QuoteFilter, optionsOverrideTheDefaultsInOrder)
{
    QuoteOptions options;
    EXPECT_EQ(parseQuoteFilterArguments({"-m", "", "-w", "40", "-W"}, options), QuoteFilterAction::Quote);
    EXPECT_EQ(options.mark, "");
    EXPECT_FALSE(options.adjustLines);
    EXPECT_EQ(parseQuoteFilterArguments({"-m>>", "-w100000"}, options), QuoteFilterAction::Quote);
    EXPECT_EQ(options.mark, ">>");
    EXPECT_TRUE(options.adjustLines);
    EXPECT_EQ(options.charactersPerLine, 100000);
    EXPECT_EQ(parseQuoteFilterArguments({"--version", "-x"}, options), QuoteFilterAction::ShowVersion);
    EXPECT_EQ(parseQuoteFilterArguments({"-W", "--help"}, options), QuoteFilterAction::ShowHelp);
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"-x"}, {"file.txt"}, {"-m"}, {"-w", "abc"}, {"-w", "0"}, {"-w", "100001"}, {"-w", "7x"}})
        EXPECT_THROW(parseQuoteFilterArguments(wrong, options), Error) << wrong[0];
}

TEST(QuoteFilter, takesItsDefaultsFromTheSettingsFile)
{
    const std::string line(30, 'a');
    const std::string input = line + "\n";
    // No settings file: "> ", no line adjustment.
    EXPECT_EQ(runFilter("", input).out, "> " + line + "\n");
    // A Japanese mark in code page 932, line adjustment on, 10 characters clamped to 20.
    const std::string settings = "[Other]\r\nString=\"x\"\r\n[inyou]\r\nstring=\"\x81\x84 \"\r\nAutoLines=1\r\n"
                                 "Charcters=0x0A\r\nAutoLines=0\r\n";
    EXPECT_EQ(runFilter("", input, settings).out, "＞ " + line.substr(0, 17) + "\n＞ " + line.substr(17) + "\n");
    EXPECT_EQ(runFilter("-W", input, settings).out, "＞ " + line + "\n");
    EXPECT_EQ(runFilter("-m '' -w 25", input, settings).out, line.substr(0, 25) + "\n" + line.substr(25) + "\n");
}

TEST(QuoteFilter, keepsEveryBreakAcrossReadChunks)
{
    EXPECT_EQ(runFilter("-w 4", "ab\r\n\ncd\ref\r\nxyz\xFF").out,
              "> ab\r\n> \n> cd\r> ef\r\n> xy\r\n> z\xFF");
    // A CR LF whose CR ends the first megabyte read is still one break.
    const std::string longLine((1 << 20) - 1, 'a');
    const FilterRun run = runFilter("-W", longLine + "\r\nb");
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out == "> " + longLine + "\r\n> b");
}

TEST(QuoteFilter, reportsFailuresOnOneLine)
{
    expectOneErrorLine(runFilter("-w lots", ""), 2);
    expectOneErrorLine(runFilter("< /", ""), 1); // a directory cannot be read

    // A reader that goes away: the failed write is reported, not left to SIGPIPE.
    const FilterRun run = runFilter("| head -c1", std::string(8 << 20, 'x'));
    expectOneErrorLine(run, 1);
    EXPECT_NE(run.err.find("cannot write the output"), std::string::npos) << run.err;
}
