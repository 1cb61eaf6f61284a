#include "quoting/MemoryLineModel.h"
#include "quoting/QuoteCommand.h"
#include "quoting/QuoteStream.h"
#include "quoting/TextWidth.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace navrik;

namespace {

std::string repeat(const std::string& piece, int times)
{
    std::string s;
    while (times-- > 0)
        s += piece;
    return s;
}

// What the line-by-line rewrite of a buffer holding text gives.
std::string quoteInPlace(std::string_view text, std::string_view mark, std::int64_t budget)
{
    std::optional<std::string> clipboard;
    MemoryLineModel buffer(clipboard, text);
    quoteLines(buffer, mark, budget);
    return buffer.text();
}

// Each line's text and its break.
std::vector<std::pair<std::string, std::string>> splitLines(std::string_view text)
{
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        const std::size_t next = text.substr(end, 2) == "\r\n" ? end + 2 : std::min(end + 1, text.size());
        lines.push_back({std::string(text.substr(pos, end - pos)), std::string(text.substr(end, next - end))});
        pos = next;
    }
    return lines;
}

} // namespace

TEST(QuoteCommand, workedExampleWithTheDefaults)
{
    EXPECT_EQ(lineBudget({"> ", false, true, 70}), 68);
    EXPECT_EQ(lineBudget({"＞ ", false, true, 70}), 67);
    EXPECT_EQ(lineBudget({"> ", false, false, 70}), kUnlimitedLineBudget);
    const std::string a68 = repeat("a", 68);
    const struct {
        std::string line;
        std::vector<std::string> output;
    } rows[] = {
        {"", {""}},
        {a68, {a68}},
        {a68 + "b", {a68, "b"}},
        {repeat(a68, 3), {a68, a68, a68}},
        {repeat(a68, 3) + "b", {a68, a68, a68, "b"}},
        {repeat("あ", 40), {repeat("あ", 34), repeat("あ", 6)}},
        {"a" + repeat("あ", 40), {"a" + repeat("あ", 33), repeat("あ", 7)}},
    };
    for (const auto& row : rows) {
        // Once as a line with its own CR LF, once as the only line, without a break.
        for (const std::string ending : {"\r\n", ""}) {
            if (row.line.empty() && ending.empty())
                continue; // an empty text has no line
            const std::string pieceEnding = ending.empty() ? "\n" : ending;
            std::string expected;
            for (std::size_t i = 0; i < row.output.size(); ++i)
                expected += "> " + row.output[i] + (i + 1 < row.output.size() ? pieceEnding : ending);
            EXPECT_EQ(quoteInPlace(row.line + ending, "> ", 68), expected) << row.line;
            EXPECT_EQ(quoteText(row.line + ending, "> ", 68), expected) << row.line;
        }
    }
}

TEST(QuoteCommand, everyLineKeepsItsBreakAndTinyBudgetsLoseNothing)
{
    const struct {
        std::string text, mark;
        std::int64_t budget;
        std::string expected;
    } cases[] = {
        {"a\r\n\r\nb\r\n\r\n", "> ", 68, "> a\r\n> \r\n> b\r\n> \r\n"},
        {"x\r\nabc", "> ", 1, "> x\r\n> a\r\n> b\r\n> c"},
        {"abc\n\nあ", "ab", 1, "aba\nabb\nabc\nab\nabあ"},
        {"abc\n\nあ", "ab", 0, "aba\nabb\nabc\nab\nabあ"},
        {"abc\n\nあ", "ab", -7, "aba\nabb\nabc\nab\nabあ"},
        {std::string(70000, 'x') + "\n", "> ", kUnlimitedLineBudget, "> " + std::string(70000, 'x') + "\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quoteInPlace(c.text, c.mark, c.budget), c.expected) << c.text;
        EXPECT_EQ(quoteText(c.text, c.mark, c.budget), c.expected) << c.text;
    }
}

TEST(QuoteCommand, runsInOrderAndLeavesTheWholeBufferOnTheClipboard)
{
    std::optional<std::string> clipboard = "one\ntwo";
    MemoryLineModel buffer(clipboard, "old text");
    std::vector<std::string> seen;
    const BusyPointer busy = [&](bool on) {
        seen.push_back(std::string(on ? "busy" : "idle") + (buffer.isVisible() ? " shown" : " hidden"));
    };
    const QuoteOptions options{"> ", true, true, 5};
    quoteCommand(buffer, options, busy);
    EXPECT_EQ(seen, (std::vector<std::string>{"busy hidden", "idle shown"}));
    EXPECT_EQ(clipboard, "> one\n> two");
    EXPECT_EQ(buffer.selectionEnd() - buffer.selectionStart(), buffer.text().size());

    // Quoting the quoted text again: the first mark counts as part of the line.
    quoteCommand(buffer, {"> ", false, true, 5});
    EXPECT_EQ(clipboard, "> > o\n> ne\n> > t\n> wo");

    // Auto paste with no text on the clipboard: the buffer ends up empty.
    clipboard.reset();
    quoteCommand(buffer, options);
    EXPECT_EQ(buffer.text(), "");
    EXPECT_FALSE(clipboard.has_value());
    EXPECT_TRUE(buffer.isVisible());
}

// Generated texts: every output line is the mark and a piece of an input line; the pieces of each
// input line join up to it exactly, every line fits unless it holds one character, and the
// one-pass result equals the line-by-line rewrite, also when fed in chunks.
TEST(QuoteCommand, propertyOverGeneratedTexts)
{
    const std::vector<std::string> pieces = {"a", "Z", " ", "~", "あ", "漢", "ｱ", "😀", "é", "\xFF", "\xE3\x81"};
    const std::vector<std::string> endings = {"\r\n", "\n", "\r"};
    const struct {
        std::string mark;
        int perLine;
    } settings[] = {{"> ", 70}, {"", 20}, {"｜ ", 30}, {std::string(19, '>'), 20}, {"＞＞", 3}};

    for (unsigned seed = 1; seed <= 25; ++seed) {
        std::mt19937 random(seed);
        const auto below = [&](std::size_t n) { return std::size_t(random() % n); };
        std::string text;
        for (std::size_t line = 0, lines = 1 + below(30); line < lines; ++line) {
            const std::size_t length = below(12) == 0 ? 3000 + below(2000) : below(90);
            for (std::size_t i = 0; i < length; ++i)
                text += pieces[below(4) == 0 ? 4 + below(pieces.size() - 4) : below(4)];
            if (line + 1 < lines || below(2))
                text += endings[below(endings.size())];
        }
        for (const auto& [mark, perLine] : settings) {
            const std::int64_t budget = lineBudget({mark, false, true, perLine});
            const std::string quoted = quoteText(text, mark, budget);
            ASSERT_EQ(quoted, quoteInPlace(text, mark, budget)) << "seed " << seed;

            std::string chunked;
            QuoteStream stream(mark, budget);
            std::size_t held = 0;
            for (std::size_t fed = 0; fed < text.size();) {
                fed = std::min(text.size(), fed + 1 + below(3000));
                held += stream.quote(std::string_view(text).substr(held, fed - held), chunked, fed == text.size());
            }
            ASSERT_EQ(chunked, quoted) << "seed " << seed;

            const auto in = splitLines(text), out = splitLines(quoted);
            std::size_t o = 0;
            std::string previousEnding = "\n";
            for (const auto& [content, ending] : in) {
                std::string joined;
                do {
                    ASSERT_LT(o, out.size());
                    const auto& [piece, pieceEnding] = out[o++];
                    ASSERT_TRUE(piece.starts_with(mark));
                    const std::string_view rest = std::string_view(piece).substr(mark.size());
                    joined += rest;
                    const bool last = joined.size() >= content.size();
                    EXPECT_EQ(pieceEnding, last || !ending.empty() ? ending : previousEnding);
                    if (!rest.empty() && characterAt(rest, 0).length < rest.size()) {
                        EXPECT_LE(textWidth(piece), perLine) << "seed " << seed;
                    }
                } while (joined.size() < content.size());
                ASSERT_EQ(joined, content) << "seed " << seed;
                previousEnding = ending;
            }
            EXPECT_EQ(o, out.size());
        }
    }
}
