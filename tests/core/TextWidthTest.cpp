// SPDX-License-Identifier: MIT
#include "core/TextWidth.h"

#include <gtest/gtest.h>

TEST(TextWidth, countsHalfWidthColumns)
{
    const std::pair<std::string, long long> cases[] = {
        {"", 0}, {"> ", 2}, {"\x7F", 1}, {"\u0080", 2}, {"あい", 4}, {"\uFF60", 2},
        {"\uFF61\uFF9F", 2}, {"\uFFA0", 2}, {"é😀", 4},
        // Invalid bytes are one column each.
        {"\x80", 1}, {"\xE3\x81", 2}, {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}, {"a\xFF" "あ", 4},
    };
    for (const auto& [text, width] : cases)
        EXPECT_EQ(navrik::textWidth(text), width) << text;
}

TEST(TextWidth, splitKeepsWholeCharactersAndAlwaysProgresses)
{
    const std::tuple<std::string, long long, std::size_t> cases[] = {
        {"", -3, 0}, {"abcdef", 6, 6}, {"abcdef", 4, 4}, {"abあ", 3, 2}, {"😀😀", 3, 4}, {"ｱｲｳｴ", 3, 9},
        {"a\xFF\xFE" "b", 3, 3}, {"あいう", 1, 3}, {"あbc", -5, 3}, // wider than the budget: still one character
        {"\xE3\x81" "a", 1, 1},  // a cut-short sequence goes a byte at a time
        // Clusters stay whole: the cut moves before the cluster, or after one wider than the budget.
        {"a\u304B\u3099", 4, 1},                   // か and a combining voiced mark
        {"\u304B\u3099\u304B\u3099", 2, 6},
        {"\uFF76\uFF9E\uFF76\uFF9E", 3, 6},         // half-width ｶﾞ
        {"ab\U0001F44D\U0001F3FD", 5, 2},         // a thumb and its skin tone
        {"\U0001F468\u200D\U0001F469\u200D\U0001F467x", 4, 18}, // a family, one cluster
        {"\U0001F1EF\U0001F1F5\U0001F1EF\U0001F1F5", 6, 8}, // flags: pairs of indicators
        {"a\xFF\u0301b", 2, 1},                    // a mark after an invalid byte stays with it
    };
    for (const auto& [line, budget, head] : cases)
        EXPECT_EQ(navrik::splitLength(line, budget), head) << line << " budget " << budget;
}
