#include "quoting/TextWidth.h"

#include <gtest/gtest.h>

#include <string>

using navrik::splitLength;
using navrik::textWidth;

TEST(TextWidth, countsHalfWidthColumns)
{
    EXPECT_EQ(navrik::columnWidth(U'\x7F'), 1);
    EXPECT_EQ(navrik::columnWidth(U'\x80'), 2);
    EXPECT_EQ(navrik::columnWidth(U'\uFF60'), 2);
    EXPECT_EQ(navrik::columnWidth(U'\uFF61'), 1); // half-width katakana, first and last
    EXPECT_EQ(navrik::columnWidth(U'\uFF9F'), 1);
    EXPECT_EQ(navrik::columnWidth(U'\uFFA0'), 2);

    EXPECT_EQ(textWidth(""), 0);
    EXPECT_EQ(textWidth("> "), 2);
    EXPECT_EQ(textWidth("あいう"), 6);
    EXPECT_EQ(textWidth("ｱｲｳ"), 3);
    EXPECT_EQ(textWidth("é😀"), 4);
    // Invalid bytes are one column each: a stray continuation, a lead byte cut short,
    // an overlong form and an encoded surrogate.
    EXPECT_EQ(textWidth("\x80"), 1);
    EXPECT_EQ(textWidth("\xE3\x81"), 2);
    EXPECT_EQ(textWidth("\xC0\xAF"), 2);
    EXPECT_EQ(textWidth("\xED\xA0\x80"), 3);
    EXPECT_EQ(textWidth("a\xFF" "あ"), 4);
}

TEST(TextWidth, splitKeepsWholeCharactersAndAlwaysProgresses)
{
    struct Case {
        std::string line;
        long long budget;
        std::size_t head;
    };
    const Case cases[] = {
        {"", 5, 0},
        {"", -3, 0},
        {"abcdef", 6, 6},            // fits exactly: no split
        {"abcdef", 4, 4},
        {"abあ", 3, 2},              // a double-byte character is never cut
        {"abあ", 4, 5},
        {"あいう", 5, 6},
        {"😀😀", 3, 4},              // emoji: 4 bytes, 2 columns
        {"ｱｲｳｴ", 3, 9},              // half-width katakana: 3 bytes, 1 column
        {"a\xFF\xFE" "b", 3, 3},     // invalid bytes: 1 column each
        {"あいう", 1, 3},            // wider than the budget: still one character
        {"abc", 0, 1},
        {"あbc", -5, 3},
        {"\xE3\x81" "a", 1, 1},      // a cut-short sequence is one byte at a time
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitLength(c.line, c.budget), c.head) << c.line << " budget " << c.budget;
}
