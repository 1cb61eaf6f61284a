// SPDX-License-Identifier: MIT
#include "core/QuoteCommand.h"
#include "core/SmartBreaker.h"
#include "core/TextWidth.h"

#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <random>
#include <set>

using namespace navrik;


static std::vector<std::string> quotedLines(const std::string& line, int perLine, bool smart)
{
    const std::string out = quoteText(line + "\n", "> ", perLine - 2, smart ? BreakStyle::Smart : BreakStyle::Columns);
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; (end = out.find('\n', pos)) != out.npos; pos = end + 1)
        lines.push_back(out.substr(pos, end - pos));
    return lines;
}

// The boundaries ICU finds in a line, as byte offsets.
static std::set<std::size_t> icuBoundaries(icu::BreakIterator& iterator, const std::string& line)
{
    icu::UnicodeString text;
    std::vector<std::size_t> offsets; // byte offset of each UTF-16 unit, then the end
    for (std::int32_t i = 0; i < std::int32_t(line.size());) {
        const std::size_t at = std::size_t(i);
        UChar32 c;
        U8_NEXT(line.data(), i, std::int32_t(line.size()), c);
        if (c < 0) // an invalid byte
            c = 0xFFFD, i = std::int32_t(at) + 1;
        text.append(c);
        offsets.insert(offsets.end(), std::size_t(U16_LENGTH(c)), at);
    }
    offsets.push_back(line.size());
    iterator.setText(text);
    std::set<std::size_t> found;
    for (std::int32_t b = iterator.first(); b != icu::BreakIterator::DONE; b = iterator.next())
        found.insert(offsets[std::size_t(b)]);
    return found;
}

static const std::string kNotFirst[] = {"、", "。", "，", "．", "・", "ー", "）", "」", "』", "】", "ぁ", "っ", "ゃ", "ァ", "ッ",
                                 "ョ", ")", "]", ".", ",", "!", "?", " "};
static const std::string kNotLast[] = {"「", "『", "（", "【", "(", "["};

static std::string mailLine(std::mt19937& random)
{
    const auto below = [&](std::size_t n) { return std::size_t(random() % n); };
    static const std::vector<std::string> fragments = {
        "meeting ", "the ", "schedule, ", "attached. ", "report ", "extraordinarily-long-word ",
        "会議", "資料を", "確認して", "ください。", "ちょっと", "ー", "、", "「件名」", "（予定）", "・", "ァ",
        "\u304B\u3099", "👍🏽", "👨\u200D👩\u200D👧", "🇯🇵", "ｶﾞｷﾞ", "\xFF", "\xE3\x81",
        "supercalifragilisticexpialidocious", "　", "( ", "2024-12-07 ", "well-known "};
    static const std::string prefixes[] = {"> ", ">> ", "> > > ", "＞ ", ">"};
    std::string line = below(3) == 0 ? prefixes[below(std::size(prefixes))] : "";
    for (std::size_t i = 0, n = below(40); i < n; ++i)
        line += fragments[below(fragments.size())];
    return line;
}


TEST(SmartBreaker, workedExamples)
{
    const std::string nfd = "\u304B\u3099"; // か and the combining voiced mark: 4 columns
    const std::tuple<std::string, int, std::vector<std::string>> cases[] = {
        // A link wider than the budget stands whole, whatever its scheme; one run on from a word is none.
        {"詳細は https://example.com/very/long/path/index.html をご覧ください。", 22,
         {"> 詳細は ", "> https://example.com/very/long/path/index.html ", "> をご覧ください。"}},
        {"get ftp://ftp.example.org/pub/file.tar.gz now", 16, {"> get ", "> ftp://ftp.example.org/pub/file.tar.gz ", "> now"}},
        {"mail MAILTO:someone@example.com soon", 16, {"> mail ", "> MAILTO:someone@example.com ", "> soon"}},
        {"「www.example.co.jp」へ", 14, {"> 「www.example.co.jp」", "> へ"}},
        {"see http://ex.jp/a_long_path", 16, {"> see ", "> http://ex.jp/a_long_path"}},
        {"xhttp://ex.jp/abc", 12, {"> xhttp://", "> ex.jp/abc"}},
        {"あいうえ。かきく", 12, {"> あいうえ。", "> かきく"}}, // 。 just fits
        {"あいうえお。かきく", 12, {"> あいうえ", "> お。かきく"}}, // pushed out
        {"あいうえ「かき」く", 12, {"> あいうえ", "> 「かき」く"}},   // 「 never ends a line
        {"one two ーあいう", 10, {"> one ", "> two ーあ", "> いう"}}, // nor ー, after a blank too
        {"the meeting schedule", 14, {"> the meeting ", "> schedule"}},
        {"> > > 三段の引用です。長い行でも段を保ちます。", 22,
         {"> > > > 三段の引用で", "> > > > す。長い行でも", "> > > > 段を保ちます。"}},
        {"＞引用の行はここで折り返します", 16, {"> ＞引用の行はこ", "> ＞こで折り返し", "> ＞ます"}},
        {"see supercalifragilistic(https://ex.jp/x)", 24, {"> see ", "> supercalifragilistic", "> (https://ex.jp/x)"}},
        // A mark that joins a link's last character stays with the link.
        {"see https://ex.jp/x\u0301abcdefghijk", 12, {"> see ", "> https://ex.jp/x\u0301", "> abcdefghij", "> k"}},
        {nfd + nfd + nfd + nfd, 12, {"> " + nfd + nfd, "> " + nfd + nfd}},
        {"🇯🇵🇯🇵🇯🇵", 12, {"> 🇯🇵🇯🇵", "> 🇯🇵"}},
    };
    for (const auto& [line, perLine, expected] : cases)
        EXPECT_EQ(quotedLines(line, perLine, true), expected) << line;
    // Each piece takes its line's break; those of a last line without one, the break before it.
    EXPECT_EQ(quoteText("> one two\r\nthree four", "> ", 8, BreakStyle::Smart), "> > one \r\n> > two\r\n> three \r\n> four");
}

// Generated mail: pieces join back, carry the prefix, fit, and break at the last usable opportunity.
TEST(SmartBreaker, rulesHoldOverGeneratedMail)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> lineIterator(icu::BreakIterator::createLineInstance(icu::Locale("ja@lb=strict"), status));
    std::unique_ptr<icu::BreakIterator> clusterIterator(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    ASSERT_TRUE(U_SUCCESS(status));
    std::mt19937 random(14);
    for (int n = 0; n < 1500; ++n) {
        const std::string line = mailLine(random);
        const int perLine = 12 + int(random() % 60);
        const std::int64_t budget = perLine - 2;
        const std::set<std::size_t> clusters = icuBoundaries(*clusterIterator, line);
        const std::set<std::size_t> opportunities = icuBoundaries(*lineIterator, line);
        std::string prefix(SmartBreaker::quotePrefix(line));
        if (textWidth(prefix) * 2 > budget)
            prefix.clear();
        const auto out = quotedLines(line, perLine, true);
        std::string joined;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const std::string carried = "> " + (i > 0 ? prefix : "");
            ASSERT_TRUE(out[i].starts_with(carried)) << out[i];
            const std::string piece = out[i].substr(carried.size());
            const std::size_t start = joined.size(), end = start + piece.size();
            joined += piece;
            const std::size_t fit = start + fitLength(std::string_view(line).substr(start), budget - (i > 0 ? textWidth(prefix) : 0));
            const std::size_t after = i == 0 ? prefix.size() : start;
            const auto usable = [&](std::size_t at) {
                return at > after && clusters.count(at) && std::ranges::none_of(kNotFirst, [&](auto& s) { return line.compare(at, s.size(), s) == 0; })
                    && std::ranges::none_of(kNotLast, [&](auto& s) { return at >= s.size() && line.compare(at - s.size(), s.size(), s) == 0; });
            };
            EXPECT_TRUE(*clusters.upper_bound(start) == end || textWidth(out[i]) <= perLine) << line << "\n" << out[i];
            if (i + 1 == out.size())
                continue;
            EXPECT_TRUE(clusters.count(end)) << "cluster cut: " << line << "\n" << out[i];
            // A break that is not a forced cut of a word is the last usable opportunity that fits.
            bool anyFits = false;
            for (auto it = opportunities.upper_bound(after); it != opportunities.end() && *it <= fit; ++it)
                anyFits = anyFits || usable(*it);
            if (!anyFits)
                continue;
            EXPECT_TRUE(opportunities.count(end) && usable(end)) << "not a usable opportunity: " << line << "\n" << out[i];
            for (auto it = opportunities.upper_bound(end); it != opportunities.end() && *it <= fit; ++it)
                EXPECT_FALSE(usable(*it)) << "broke early: " << line << "\n" << out[i];
        }
        EXPECT_EQ(joined, line);
    }
}

// Without break opportunities or a quote prefix, smart breaking cuts where the default way does.
TEST(SmartBreaker, equalsDefaultWithoutOpportunities)
{
    const std::vector<std::string> pieces = {"a", "Z", "7", "e\u0301", "\xFF", "\xE3\x81", "~"};
    std::mt19937 random(7);
    for (int n = 0; n < 300; ++n) {
        std::string line;
        for (std::size_t i = 0, length = random() % 300; i < length; ++i)
            line += pieces[random() % pieces.size()];
        const int perLine = 3 + int(random() % 80);
        EXPECT_EQ(quotedLines(line, perLine, true), quotedLines(line, perLine, false)) << line;
    }
}
