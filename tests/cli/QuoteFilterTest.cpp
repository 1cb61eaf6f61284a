// SPDX-License-Identifier: MIT
#include "cli/QuoteFilter.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace navrik;


struct FilterRun {
    int status; // the exit status, or 128 + the signal that ended the pipeline's last failing part
    std::string out, err;
};
using Files = std::vector<std::pair<std::string, std::string>>;

static std::filesystem::path freshDirectory()
{
    static int count = 0;
    const auto dir = std::filesystem::path(testing::TempDir()) / ("navrik-quote-" + std::to_string(getpid()) + "-" + std::to_string(++count));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

static std::string readFile(const std::filesystem::path& path)
{
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

// Runs navrik-quote in a folder of its own (its settings folder too); arguments may end in a pipe.
static FilterRun runFilter(const std::string& arguments, const std::string& input, const std::string& settings = {},
                    const Files& files = {})
{
    const auto dir = freshDirectory();
    Files all = files;
    all.emplace_back("in", input);
    all.emplace_back("run.sh", "XDG_CONFIG_HOME=\"$PWD\" '" NAVRIK_QUOTE_BINARY "' < in 2> err " + arguments + " > out\n");
    if (!settings.empty())
        all.emplace_back("tolvane.ini", settings);
    for (const auto& [name, bytes] : all)
        std::ofstream(dir / name, std::ios::binary) << bytes;
    const int status = std::system(("cd '" + dir.string() + "' && bash -o pipefail run.sh").c_str());
    return {WEXITSTATUS(status), readFile(dir / "out"), readFile(dir / "err")};
}


TEST(QuoteFilter, optionsOverrideTheDefaultsInOrder)
{
    QuoteOptions options;
    std::vector<std::string> files;
    const auto quotes = [&](const std::vector<std::string>& arguments) {
        return parseQuoteFilterArguments(arguments, options, files) == QuoteFilterAction::Quote;
    };
    EXPECT_TRUE(quotes({"-m", "", "-w", "40", "-W", "-m>>", "-w100000"}));
    EXPECT_TRUE(options.mark == ">>" && options.adjustLines && options.charactersPerLine == 100000 && files.empty());
    // Long options, files among the options kept in order, and "--" before a file named like one.
    EXPECT_TRUE(quotes({"a", "--mark=| ", "-", "--width", "30", "--no-wrap", "--", "-w", "b"}));
    EXPECT_TRUE(options.mark == "| " && !options.adjustLines && options.charactersPerLine == 30);
    EXPECT_EQ(files, (std::vector<std::string>{"a", "-", "-w", "b"}));
    EXPECT_TRUE(quotes({"-s", "--no-smart", "-Ss"}) && options.smartBreaks);
    EXPECT_TRUE(quotes({"--smart", "-S"}) && !options.smartBreaks);
    // Re-flow breaks smartly: -r turns both on, -S both off, -R re-flow alone.
    EXPECT_TRUE(quotes({"-r"}) && options.reflow && options.smartBreaks);
    EXPECT_TRUE(quotes({"--no-reflow"}) && !options.reflow && options.smartBreaks);
    EXPECT_TRUE(quotes({"--reflow", "-S"}) && !options.reflow && !options.smartBreaks);
    EXPECT_EQ(parseQuoteFilterArguments({"--version", "-x"}, options, files), QuoteFilterAction::ShowVersion);
    EXPECT_EQ(parseQuoteFilterArguments({"-W", "--help"}, options, files), QuoteFilterAction::ShowHelp);
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"-x"}, {"--wrap"}, {"--no-wrap=1"}, {"-m"}, {"--width"}, {"-w", "abc"}, {"-w", "0"},
             {"--width=100001"}, {"-w", "7x"}, {"--smart=1"}})
        EXPECT_THROW(parseQuoteFilterArguments(wrong, options, files), Error) << wrong[0];
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
    // Re-flow saved on breaks smartly too.
    EXPECT_EQ(runFilter("", words, "[Inyou]\r\n" + on + "Reflow=1\r\n").out, "> the meeting\n> schedule is here\n");
    // A mark that is UTF-8 and not code page 932, as an editor saves it, is read as UTF-8.
    EXPECT_EQ(runFilter("-W", line, "[Inyou]\r\nString=\"\xEF\xBC\x9E \"\r\n").out, "＞ " + line);
}

// Files are read in order as one text, as cat joins them; one that can't be read is reported.
TEST(QuoteFilter, readsFilesInOrderAsOneText)
{
    const Files files = {{"a", "one\r\ntwo"}, {"b", "\r"}, {"-n", "\nfour\r"}};
    const FilterRun run = runFilter("-W a - missing b -- -n", "three\n", {}, files);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "> one\r\n> twothree\n> \r\n> four\r");
    EXPECT_EQ(run.err, "navrik-quote: missing: No such file or directory\n");
}

// Texts across the 1 MiB read chunks come out as the one-pass quote, from a file or a pipe.
TEST(QuoteFilter, quotesAcrossReadChunksAsInOnePass)
{
    const std::string mb(1 << 20, 'a');
    std::string mixed, mail, wrapped; // wrapped: paragraphs of every length between blank lines
    for (int i = 0; i < 60000; ++i) {
        mixed += i >= 40000 ? "" : i % 7 == 0 ? "漢字かな混じり\r\n" : i % 5 == 0 ? "\r" : "abc def ghi\n";
        mail += i >= 30000 ? "" : i % 3 ? "> > 返信の本文は「ここ」で折り返されます。https://example.com/a/b を参照\r\n" : "plain words that wrap between words\n";
        wrapped += i % 9 == 8 ? "\n" : i % 4 ? "> 見積書の件につきまして、社内で検討いたしました結果、以下の条件でご提\n" : "when the report\r\n";
    }
    const std::string hugeMark(1000, '>');
    const struct {
        std::string arguments, mark, input;
        int width; // 0: no line adjustment
        BreakStyle style = BreakStyle::Columns;
    } cases[] = {
        {"-W", "> ", mb.substr(1) + "\r\n" + std::string(5 << 20, 'b') + "\r\nc", 0},
        {"-W", "> ", std::string(3 << 20, 'x') + "\r" + std::string(3 << 20, 'y') + "\r\n", 0},
        {"-w 70", "> ", mixed + std::string(3 << 20, 'w') + "\n" + mixed, 70},
        {"-w 9", "> ", "あ" + mb + mb + mb + "\r", 9},
        {"-w 1 -m '" + hugeMark + "'", hugeMark, mixed.substr(0, 6000), 1},
        {"-w 30 -s", "> ", mail, 30, BreakStyle::Smart},
        {"-w 60 -r", "> ", wrapped + mail, 60, BreakStyle::Reflow},
    };
    for (const auto& c : cases) {
        const std::string expected = quoteText(c.input, c.mark, c.width ? lineBudget({c.mark, false, true, c.width}) : kUnlimitedLineBudget, c.style);
        for (const std::string way : {" in", " < <(cat in)"}) {
            const FilterRun run = runFilter(c.arguments + way, c.input);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_TRUE(run.out == expected) << c.arguments.substr(0, 12) << way << ": " << run.out.size()
                                             << " bytes, not " << expected.size();
        }
    }
}

// Failures: one line on standard error. A reader going away ends it quietly (SIGPIPE, or status 1).
TEST(QuoteFilter, reportsFailuresOnOneLineAndEndsQuietlyOnAClosedPipe)
{
    for (const auto& [arguments, status] : {std::pair{"-w lots", 2}, {"< /", 1}, {"/ in", 1}}) {
        const FilterRun run = runFilter(arguments, "x");
        EXPECT_EQ(run.status, status) << arguments;
        EXPECT_TRUE(run.err.starts_with("navrik-quote: ")) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    const std::string lines = std::string(8 << 20, 'x') + "\n" + std::string(8 << 20, 'y');
    for (const auto disposition : {SIG_DFL, SIG_IGN}) {
        std::signal(SIGPIPE, disposition);
        const FilterRun closed = runFilter("-W | head -n 1", lines);
        std::signal(SIGPIPE, SIG_DFL);
        EXPECT_EQ(closed.status, disposition == SIG_DFL ? 128 + SIGPIPE : 1);
        EXPECT_EQ(closed.out, "> " + lines.substr(0, 8 << 20) + "\n");
        EXPECT_EQ(closed.err, "");
    }
}

// A feed that pauses on a non-blocking pipe is waited on; each complete line comes out at once.
TEST(QuoteFilter, quotesASlowFeedLineByLine)
{
    const auto dir = freshDirectory();
    int feed[2];
    ASSERT_EQ(pipe(feed), 0);
    ASSERT_EQ(fcntl(feed[0], F_SETFL, fcntl(feed[0], F_GETFL) | O_NONBLOCK), 0);
    const int out = open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t child = fork();
    if (child == 0) { // the mark is given, so no saved setting of the user running the test counts
        dup2(feed[0], 0), dup2(out, 1), close(feed[1]);
        execl(NAVRIK_QUOTE_BINARY, NAVRIK_QUOTE_BINARY, "-W", "--mark=> ", nullptr);
        _exit(127);
    }
    close(feed[0]), close(out);
    using Step = std::pair<std::string_view, std::string>; // what is written, what is out then
    for (const auto& [piece, expected] : {Step{"one\r\ntw", "> one\r\n"}, Step{"o\n", "> one\r\n> two\n"}}) {
        ASSERT_EQ(write(feed[1], piece.data(), piece.size()), ssize_t(piece.size()));
        for (int i = 0; i < 1000 && readFile(dir / "out") != expected; ++i)
            usleep(10000);
        EXPECT_EQ(readFile(dir / "out"), expected);
    }
    close(feed[1]);
    int status = -1;
    EXPECT_TRUE(waitpid(child, &status, 0) == child && status == 0);
}
