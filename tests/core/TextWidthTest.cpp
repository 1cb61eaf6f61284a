#include "core/TextWidth.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextWidth, countsHalfWidthColumns)
{
    const std::pair<std::string, long long> cases[] = {
        {"", 0}, {"> ", 2}, {"\x7F", 1}, {"\u0080", 2}, {"あい", 4}, {"\uFF60", 2},
        {"\uFF61\uFF9F", 2}, {"\uFFA0", 2}, {"é😀", 4},
        // Invalid bytes are one column each: a stray continuation, a lead byte cut short,
        // an overlong form and an encoded surrogate.
        {"\x80", 1}, {"\xE3\x81", 2}, {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}, {"a\xFF" "あ", 4},
    };
    for (const auto& [text, width] : cases)
        EXPECT_EQ(navrik::textWidth(text), width) << text;
}

TEST(TextWidth, splitKeepsWholeCharactersAndAlwaysProgresses)
{
    const struct {
        std::string line;
        long long budget;
        std::size_t head;
    } cases[] = {
        {"", -3, 0},
        {"abcdef", 6, 6},        // fits exactly: no split
        {"abcdef", 4, 4},
        {"abあ", 3, 2},          // a double-byte character is never cut
        {"😀😀", 3, 4},          // emoji: 4 bytes, 2 columns
        {"ｱｲｳｴ", 3, 9},          // half-width katakana: 3 bytes, 1 column
        {"a\xFF\xFE" "b", 3, 3}, // invalid bytes: 1 column each
        {"あいう", 1, 3},        // wider than the budget: still one character
        {"あbc", -5, 3},
        {"\xE3\x81" "a", 1, 1},  // a cut-short sequence goes a byte at a time
    };
    for (const auto& c : cases)
        EXPECT_EQ(navrik::splitLength(c.line, c.budget), c.head) << c.line << " budget " << c.budget;
}
