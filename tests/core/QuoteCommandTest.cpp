// SPDX-License-Identifier: MIT
#include "core/LineModel.h"
#include "core/QuoteCommand.h"
#include "support/LineByLineQuote.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using namespace navrik;

// Pieces take their line's break; those of a last line without one, the break before it.
TEST(QuoteCommand, workedExamplesAndTinyBudgets)
{
    EXPECT_EQ(lineBudget({"> ", false, true, 70}), 68);
    EXPECT_EQ(lineBudget({"＞ ", false, true, 70}), 67);
    EXPECT_EQ(lineBudget({"> ", false, false, 70}), kUnlimitedLineBudget);
    const std::string a = std::string(68, 'a'), x = std::string(70000, 'x');
    const auto wide = [](int n) { std::string s; while (n-- > 0) s += "あ"; return s; };
    const std::tuple<std::string, std::string, std::int64_t, std::string> cases[] = {
        {a, "> ", 68, "> " + a},
        {a + a + a + "\r\n", "> ", 68, "> " + a + "\r\n> " + a + "\r\n> " + a + "\r\n"},
        {a + a + a + "b", "> ", 68, "> " + a + "\n> " + a + "\n> " + a + "\n> b"},
        {"a" + wide(40) + "\r\n", "> ", 68, "> a" + wide(33) + "\r\n> " + wide(7) + "\r\n"},
        {"x\r\nabc", "> ", 1, "> x\r\n> a\r\n> b\r\n> c"},
        {"abc\n\nあ", "ab", 0, "aba\nabb\nabc\nab\nabあ"},
        {x + "\n", "> ", kUnlimitedLineBudget, "> " + x + "\n"},
        // Lines are found 64 bytes at a time: a CR LF across a block's end, a CR at its end.
        {std::string(63, 'y') + "\r\n" + std::string(62, 'z') + "\rbc", "> ", kUnlimitedLineBudget,
         "> " + std::string(63, 'y') + "\r\n> " + std::string(62, 'z') + "\r> bc"},
    };
    for (const auto& [text, mark, budget, expected] : cases)
        EXPECT_EQ(quoteText(text, mark, budget), expected) << text;
}

// The one-pass result equals the line-by-line rewrite (the fuzz target checks it on any bytes).
TEST(QuoteCommand, matchesTheLineByLineRewrite)
{
    const std::vector<std::string> pieces = {"a", "Z", " ", "~", "あ", "漢", "ｱ", "😀", "é", "\xFF", "\xE3\x81"};
    const std::vector<std::string> endings = {"\r\n", "\n", "\r"};
    const std::pair<std::string, int> settings[] = {{"> ", 70}, {"", 20}, {std::string(19, '>'), 20}, {"＞＞", 3}};
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
            ASSERT_EQ(quoteText(text, mark, budget), quoteLineByLine(text, mark, budget)) << "seed " << seed;
        }
    }
}


// A buffer that writes down what the commands do to it, and the busy pointer's calls beside them.
struct LoggedBuffer : LineModel {
    std::string held, clipboard, log;
    bool offersText = true, refuses = false;

    int lineCount() const override { return held.empty() ? 0 : 1; }
    std::optional<std::string> clipboardText() const override { return offersText ? std::optional(clipboard) : std::nullopt; }
    bool replaceWithClipboard() override { return log += "paste ", offersText && (held = clipboard, true); }
    void selectAll() override { log += "select "; }
    void copySelection() override { log += "copy ", clipboard = held; }
    void hide() override { log += "hide "; }
    void show() override { log += "show "; }
    std::string text() const override { return held; }
    void setText(std::string text) override
    {
        log += "set ";
        held = refuses ? throw std::length_error("too long") : std::move(text);
    }
    BusyPointer busy() { return [this](bool on) { log += on ? "busy " : "done "; }; }
    std::string steps() { return std::exchange(log, ""); }
};


// Hidden under the busy pointer while quoting; whatever fails, shown again before it goes.
TEST(QuoteCommand, commandsRunTheirStepsInOrder)
{
    LoggedBuffer b;
    b.held = "mail";
    quoteCommand(b, {"> ", false, false, 70}, b.busy());
    EXPECT_EQ(b.steps(), "busy hide busy set show select copy done ");
    EXPECT_EQ(b.clipboard, "> mail");
    b.clipboard = "new";
    pasteAndQuoteCommand(b, {"| ", true, false, 70}, b.busy());
    EXPECT_EQ(b.steps(), "busy hide set show select copy done ");
    EXPECT_EQ(b.held, "| new");
    b.offersText = false;
    pasteAndQuoteCommand(b, {"> ", true, false, 70}, b.busy());
    EXPECT_EQ(b.steps(), "busy hide show done ");
    EXPECT_EQ(b.held, "| new");
    b.refuses = true;
    EXPECT_THROW(quoteCommand(b, {"> ", false, false, 70}, b.busy()), std::length_error);
    EXPECT_EQ(b.log, "busy hide busy set show done ");
}
