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

// What the line-by-line rewrite of a buffer holding text gives.
std::string quoteInPlace(std::string_view text, std::string_view mark, std::int64_t budget)
{
    std::optional<std::string> clipboard;
    MemoryLineModel buffer(clipboard, text);
    quoteLines(buffer, mark, budget);
    return buffer.text();
}

// Each line's text, without its break.
std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; pos < text.size(); pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1)) {
        end = std::min(text.find_first_of("\r\n", pos), text.size());
        lines.emplace_back(text.substr(pos, end - pos));
    }
    return lines;
}

} // namespace

// The pieces of a broken line take the line's own break; those of a last line without one take "\n".
TEST(QuoteCommand, workedExamplesAndTinyBudgets)
{
    EXPECT_EQ(lineBudget({"> ", false, true, 70}), 68);
    EXPECT_EQ(lineBudget({"＞ ", false, true, 70}), 67);
    EXPECT_EQ(lineBudget({"> ", false, false, 70}), kUnlimitedLineBudget);
    const std::string a = std::string(68, 'a'), x = std::string(70000, 'x');
    const auto wide = [](int n) { std::string s; while (n-- > 0) s += "あ"; return s; };
    const struct {
        std::string text, mark;
        std::int64_t budget;
        std::string expected;
    } cases[] = {
        {"", "> ", 68, ""},
        {a, "> ", 68, "> " + a},
        {a + "b\r\n", "> ", 68, "> " + a + "\r\n> b\r\n"},
        {a + "b", "> ", 68, "> " + a + "\n> b"},
        {a + a + a + "\r\n", "> ", 68, "> " + a + "\r\n> " + a + "\r\n> " + a + "\r\n"},
        {a + a + a + "b", "> ", 68, "> " + a + "\n> " + a + "\n> " + a + "\n> b"},
        {wide(40), "> ", 68, "> " + wide(34) + "\n> " + wide(6)},
        {"a" + wide(40) + "\r\n", "> ", 68, "> a" + wide(33) + "\r\n> " + wide(7) + "\r\n"},
        {"a\r\n\r\nb\r\n\r\n", "> ", 68, "> a\r\n> \r\n> b\r\n> \r\n"},
        {"x\r\nabc", "> ", 1, "> x\r\n> a\r\n> b\r\n> c"},
        {"abc\n\nあ", "ab", 0, "aba\nabb\nabc\nab\nabあ"},
        {"abc\n\n😀", "ab", -7, "aba\nabb\nabc\nab\nab😀"},
        {x + "\n", "> ", kUnlimitedLineBudget, "> " + x + "\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(quoteInPlace(c.text, c.mark, c.budget), c.expected) << c.text;
        EXPECT_EQ(quoteText(c.text, c.mark, c.budget), c.expected) << c.text;
    }
}

// Generated texts: the pieces after the mark rejoin each input line exactly, every piece of more
// than one character fits, and the one-pass result, also fed in chunks, equals the line-by-line
// rewrite.
TEST(QuoteCommand, propertyOverGeneratedTexts)
{
    const std::vector<std::string> pieces = {"a", "Z", " ", "~", "あ", "漢", "ｱ", "😀", "é", "\xFF", "\xE3\x81"};
    const std::vector<std::string> endings = {"\r\n", "\n", "\r"};
    const std::pair<std::string, int> settings[] = {
        {"> ", 70}, {"", 20}, {"｜ ", 30}, {std::string(19, '>'), 20}, {"＞＞", 3}};
    for (unsigned seed = 1; seed <= 25; ++seed) {
        std::mt19937 random(seed);
        const auto below = [&](std::size_t n) { return std::size_t(random() % n); };
        std::string text;
        for (std::size_t line = 0, lines = 1 + below(30); line < lines; ++line) {
            for (std::size_t i = 0, length = below(12) == 0 ? 3000 + below(2000) : below(90); i < length; ++i)
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
            for (std::size_t fed = 0, held = 0; fed < text.size();) {
                fed = std::min(text.size(), fed + 1 + below(3000));
                held += stream.quote(std::string_view(text).substr(held, fed - held), chunked, fed == text.size());
            }
            ASSERT_EQ(chunked, quoted) << "seed " << seed;

            const auto out = splitLines(quoted);
            std::size_t o = 0;
            for (const std::string& content : splitLines(text)) {
                std::string joined;
                do {
                    ASSERT_LT(o, out.size());
                    const std::string& piece = out[o++];
                    ASSERT_TRUE(piece.starts_with(mark));
                    const std::string_view rest = std::string_view(piece).substr(mark.size());
                    joined += rest;
                    if (!rest.empty() && characterAt(rest, 0).length < rest.size()) {
                        EXPECT_LE(textWidth(piece), perLine) << "seed " << seed;
                    }
                } while (joined.size() < content.size());
                ASSERT_EQ(joined, content) << "seed " << seed;
            }
            EXPECT_EQ(o, out.size());
        }
    }
}
