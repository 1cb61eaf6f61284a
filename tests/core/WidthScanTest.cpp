// SPDX-License-Identifier: MIT
#include "core/Graphemes.h"
#include "core/TextWidth.h"
#include "core/WidthScan.h"

#include <gtest/gtest.h>

#include <random>

using namespace navrik;


// A character at a time, then back to the cut's cluster start, or on past the first cluster.
static std::size_t referenceHead(std::string_view line, std::int64_t budget)
{
    std::size_t pos = 0;
    for (std::int64_t used = 0; pos < line.size() && (used += characterAt(line, pos).width) <= budget;)
        pos += characterAt(line, pos).length;
    if (pos == line.size())
        return pos;
    while (pos > 0 && !isClusterBoundary(line, pos))
        pos = characterStartBefore(line, pos);
    if (pos == 0) {
        pos = characterAt(line, 0).length;
        while (pos < line.size() && !isClusterBoundary(line, pos))
            pos += characterAt(line, pos).length;
    }
    return pos;
}

// Lines across many blocks, mostly what the vector path takes, with what it leaves sprinkled in.
static std::string generatedLine(std::mt19937& random)
{
    static const std::vector<std::string> common = {"a", " ", "~", "あ", "漢", "é", "、", "！", "ｿ"};
    static const std::vector<std::string> rare = {
        "😀", "\u0905", "\uD55C", "ｱ", "\uFF9F", "\uFF60", "\uFFE0", "\x80", "\xC0\xAF", "\xC1",
        "\xE3\x81", "\xED\xA0\x80", "\xE0\x80\x80", "\xF4\x90\x80\x80", "\xFF", "\xEF\xBD", "\u0301", "\u3099", "\u200D"};
    std::string line;
    const std::size_t length = random() % 160;
    const bool plain = random() % 3 == 0;
    while (line.size() < length) {
        const auto& set = !plain && random() % 12 == 0 ? rare : common;
        line += set[random() % set.size()];
    }
    return line;
}


// The quick measure and the split it speeds up agree with the character-by-character rules.
TEST(WidthScan, agreesWithTheCharacterRules)
{
    std::mt19937 random(7);
    for (int i = 0; i < 4000; ++i) {
        const std::string line = generatedLine(random);
        for (const std::int64_t budget : {std::int64_t(-1), std::int64_t(0), std::int64_t(1),
                                          std::int64_t(random() % 200), std::int64_t(1) << 40}) {
            ASSERT_EQ(splitLength(line, budget), referenceHead(line, budget)) << line << " " << budget;
            const MeasuredPrefix quick = measureFittingPrefix(line, budget);
            ASSERT_LE(quick.length, line.size());
            const std::string_view prefix = std::string_view(line).substr(0, quick.length);
            ASSERT_EQ(quick.width, textWidth(prefix)) << line;
            ASSERT_LE(quick.width, std::max<std::int64_t>(budget, 0)) << line;
            // It ends where a character ends, so the rest measures the same on its own.
            ASSERT_EQ(textWidth(line), quick.width + textWidth(std::string_view(line).substr(quick.length))) << line;
        }
    }
}
