// SPDX-License-Identifier: MIT
#include "core/QuoteCommand.h"
#include "core/TextWidth.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace navrik;


static std::vector<std::string> linesOf(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; pos < text.size(); pos = end + 1)
        lines.emplace_back(text.substr(pos, (end = std::min(text.find('\n', pos), text.size())) - pos));
    return lines;
}

// A line's quote marks ("> > ", ">>", "＞") and its text.
static std::pair<std::string, std::string> splitMarks(std::string_view line)
{
    std::size_t pos = 0;
    while (pos < line.size() && (line[pos] == '>' || (line[pos] == ' ' && pos > 0) || line.substr(pos, 3) == "＞"))
        pos += line[pos] == '>' || line[pos] == ' ' ? 1 : 3;
    std::string marks(line.substr(0, pos));
    std::erase(marks, ' ');
    return {marks, std::string(line.substr(pos))};
}

static std::string nonBlank(std::string text)
{
    for (std::size_t at; (at = text.find("\u3000")) != text.npos;)
        text.erase(at, 3);
    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
    return text;
}

bool alnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

static bool holdsLink(std::string_view text)
{
    return text.find("://") != text.npos || text.find("www.") != text.npos || text.find("\\\\") != text.npos;
}

// Where the byte that follows the first count bytes of text's non-blank bytes lies in text.
static std::size_t sourceOffset(std::string_view text, std::size_t count)
{
    std::size_t pos = 0;
    for (std::size_t seen = 0; pos < text.size(); ++pos) {
        if (text[pos] == ' ' || text[pos] == '\t')
            continue;
        if (text.substr(pos, 3) == "\u3000")
            pos += 2;
        else if (seen++ == count)
            break;
    }
    return pos;
}

// One word alone: no blank inside, and at most one character beyond ASCII that is not punctuation.
static bool oneWord(std::string_view piece)
{
    int characters = 0;
    for (std::size_t pos = 0; pos < piece.size();) {
        const Utf8Char c = characterAt(piece, pos);
        characters += c.code >= 0x80 && std::string_view("、。」）！？").find(piece.substr(pos, c.length)) == std::string_view::npos;
        pos += c.length;
    }
    return piece.find(' ') == piece.npos && characters <= 1;
}

// The mail as a mailer sends it: wrapped at columns[quote level], flowed with a blank at soft breaks.
static std::string wrapMail(const std::string& mail, const std::vector<int>& columns, bool flowed = false)
{
    std::string out;
    for (const std::string& line : linesOf(mail)) {
        const auto [marks, text] = splitMarks(line);
        const std::string prefix = line.substr(0, line.size() - text.size());
        const int column = columns[marks.size() % columns.size()];
        auto pieces = linesOf(quoteText(text, "", column, BreakStyle::Smart));
        pieces.resize(std::max<std::size_t>(pieces.size(), 1));
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            std::string piece = pieces[i].substr(i > 0 ? std::min(pieces[i].find_first_not_of(' '), pieces[i].size()) : 0);
            if (i + 1 < pieces.size()) // a soft break: no blank at the end, or one when flowed
                piece = piece.substr(0, piece.find_last_not_of(' ') + 1) + (flowed ? " " : "");
            out += prefix + piece + "\n";
        }
    }
    return out;
}

// Each source line comes out re-flowed as lines of its own, at its level, with its characters,
// within the width, without a bad first character, a cut word or link, or an orphan word.
static void expectReflowed(const std::string& source, const std::string& wrapped, int width, const std::string& name)
{
    const std::string quoted = quoteText(wrapped, "> ", width - 2, BreakStyle::Reflow);
    const auto out = linesOf(quoted);
    std::size_t next = 0;
    for (const std::string& line : linesOf(source)) {
        const auto [marks, text] = splitMarks(line);
        const std::string want = nonBlank(text);
        std::vector<std::string> pieces;
        std::string have;
        do {
            ASSERT_LT(next, out.size()) << name << ": ends before " << line;
            ASSERT_TRUE(out[next].starts_with("> ")) << out[next];
            const auto [pieceMarks, piece] = splitMarks(out[next].substr(2));
            EXPECT_EQ(pieceMarks, marks) << name << ": " << out[next];
            EXPECT_TRUE(textWidth(out[next]) <= width || piece == text || holdsLink(piece)) << name << ": " << out[next];
            if (!pieces.empty()) {
                for (const char* forbidden : {"、", "。", "」", "ぁ", "ぃ", "ぅ", "ぇ", "ぉ", "っ", "ゃ", "ゅ", "ょ", "ァ", "ッ", "ャ", "ュ", "ョ"})
                    EXPECT_FALSE(piece.starts_with(forbidden)) << name << ": " << out[next];
                const std::size_t at = sourceOffset(text, have.size());
                EXPECT_FALSE(alnum(text[at - 1]) && alnum(text[at])) << name << ": a word cut at\n" << out[next - 1] << "\n" << out[next];
            }
            pieces.push_back(piece);
            have += nonBlank(piece);
            ++next;
        } while (have.size() < want.size());
        ASSERT_EQ(have, want) << name << ": the lines from here on are not those of\n" << line;
        for (std::size_t at = 0, end; (at = text.find("http", at)) != text.npos; at = end) {
            for (end = at; end < text.size() && text[end] > ' ' && text[end] < 0x7F;)
                ++end;
            const std::string link = text.substr(at, end - at);
            EXPECT_TRUE(std::any_of(pieces.begin(), pieces.end(), [&](auto& piece) { return piece.find(link) != piece.npos; }))
                << name << ": link cut: " << link;
        }
        // (A link stands whole, so what follows it may stand alone.)
        EXPECT_FALSE(pieces.size() > 1 && oneWord(pieces.back()) && !holdsLink(pieces[pieces.size() - 2] + pieces.back())) << name << ": orphan after\n" << out[next - 2];
        // Every line but the last two is full: the next one's first word would not have fitted.
        for (std::size_t i = 0; i + 2 < pieces.size(); ++i) {
            const std::string& after = pieces[i + 1];
            const std::int64_t word = alnum(after[0]) ? 1 + textWidth(after.substr(0, after.find(' '))) : 8;
            EXPECT_TRUE(holdsLink(pieces[i]) || holdsLink(after) || textWidth(out[next - pieces.size() + i]) + word > width)
                << name << ": a short line in a paragraph\n" << out[next - pieces.size() + i];
        }
    }
    EXPECT_EQ(next, out.size()) << name;
}


// Worked examples, quoted with "> " at 70 columns.
TEST(Reflow, workedExamples)
{
    const std::pair<std::string, std::string> cases[] = {
        {">> 来週の打ち合わせの資料をお送りします。会場は本社の三階会議室で、当日\n"
         ">> は受付で名前をお伝えください。駐車場はありませんので、公共交通機関を\n"
         ">> ご利用ください。\n",
         "> >> 来週の打ち合わせの資料をお送りします。会場は本社の三階会議室で、\n"
         "> >> 当日は受付で名前をお伝えください。駐車場はありませんので、公共交\n"
         "> >> 通機関をご利用ください。\n"},
        // Japanese two columns too wide a line; after the signature lines are broken, never joined.
        {"いつもお世話になっております。先日ご依頼いただきました見積書の件につき\n"
         "まして、社内で検討いたしました結果、以下の条件でご提案させていただきた\n"
         "く存じます。ご確認のほど、よろしくお願いいたします。\n"
         "-- \n"
         "株式会社サンプル工業 営業部 第二課 佐藤健一 東京都千代田区丸の内一丁目\n"
         "二番三号 サンプルビル八階 電話〇三の一二三四の五六七八\n",
         "> いつもお世話になっております。先日ご依頼いただきました見積書の件につ\n"
         "> きまして、社内で検討いたしました結果、以下の条件でご提案させていただ\n"
         "> きたく存じます。ご確認のほど、よろしくお願いいたします。\n"
         "> -- \n"
         "> 株式会社サンプル工業 営業部 第二課 佐藤健一 東京都千代田区丸\n"
         "> の内一丁目\n"
         "> 二番三号 サンプルビル八階 電話〇三の一二三四の五六七八\n"},
        // Not wrapped: one paragraph a line, each only broken.
        {"We reviewed the report internally and would like to propose a few changes to the schedule, "
         "since the certification tests took longer than expected.\n"
         "The on-site training can still take place in the week of 12 January.\n"
         "Please let me know if these changes are acceptable.\n",
         "> We reviewed the report internally and would like to propose a few\n"
         "> changes to the schedule, since the certification tests took longer\n"
         "> than expected.\n"
         "> The on-site training can still take place in the week of 12 January.\n"
         "> Please let me know if these changes are acceptable.\n"},
        {"This paragraph came as format=flowed: \n"
         "every soft break ends in a blank, \n"
         "whatever the widths.\n"
         "A line without one stays.\n",
         "> This paragraph came as format=flowed: every soft break ends in a\n"
         "> blank, whatever the widths.\n"
         "> A line without one stays.\n"},
        // A closing sentence after a full line keeps its line; another quote level, its paragraph.
        {"Thank you for the detailed report on the pilot installation. We reviewed\n"
         "it with our engineering team and would like to propose a few changes to\n"
         "the schedule that we agreed on in October, and we will call you soon.\n"
         "Best regards.\n",
         "> Thank you for the detailed report on the pilot installation. We\n"
         "> reviewed it with our engineering team and would like to propose a\n"
         "> few changes to the schedule that we agreed on in October, and we\n"
         "> will call you soon.\n"
         "> Best regards.\n"},
        {"> > Thank you for the detailed report on the pilot installation. We reviewed\n"
         "> > it with our engineering team and would like to propose a few changes to\n"
         "> the schedule that we agreed on in October, and we will call you soon.\n",
         "> > > Thank you for the detailed report on the pilot installation. We\n"
         "> > > reviewed it with our engineering team and would like to propose\n"
         "> > > a few changes to\n"
         "> > the schedule that we agreed on in October, and we will\n"
         "> > call you soon.\n"},
        // A blank between Latin words, none where Japanese meets Latin script.
        {"来週の定例会議は、会議室ではなく、これまでどおりMicrosoft\n"
         "Teamsで行います。参加される方は、前日までに招待メールの\n"
         "meeting招待を承諾してください。録画は共有フォルダに保存されます。\n",
         "> 来週の定例会議は、会議室ではなく、これまでどおりMicrosoft Teamsで行\n"
         "> います。参加される方は、前日までに招待メールのmeeting招待を承諾して\n"
         "> ください。録画は共有フォルダに保存されます。\n"},
    };
    for (const auto& [mail, quoted] : cases)
        EXPECT_EQ(quoteText(mail, "> ", 68, BreakStyle::Reflow), quoted) << mail;
}

// The mail collection unwrapped, wrapped at 60 to 76 columns and flowed, quoted at 70 and 60.
TEST(Reflow, keepsTheWritersBreaksInTheMailCollection)
{
    int mails = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NAVRIK_MAIL_DIR)) {
        ++mails;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string source(std::istreambuf_iterator<char>(file), {});
        const std::vector<int> columns = {60, 70, 72, 76};
        std::vector<std::pair<std::string, std::string>> sent = {{"unwrapped", source}, {"flowed72", wrapMail(source, {72}, true)}};
        for (std::size_t i = 0; i < columns.size(); ++i)
            sent.emplace_back("wrapped" + std::to_string(columns[i]),
                              wrapMail(source, {columns[i], columns[(i + 1) % 4], columns[(i + 2) % 4]}));
        for (const auto& [way, mail] : sent)
            for (const int width : {70, 60})
                expectReflowed(source, mail, width, entry.path().stem().string() + "." + way + ".at" + std::to_string(width));
    }
    EXPECT_GE(mails, 6);
}
