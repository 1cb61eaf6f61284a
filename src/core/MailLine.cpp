// SPDX-License-Identifier: MIT
#include "core/MailLine.h"

#include "core/Graphemes.h"
#include "core/MailCharacters.h"
#include "core/TextWidth.h"
#include "core/WidthScan.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace navrik {

namespace {

constexpr std::string_view kFullWidthMark = "\uFF1E"; // ＞

// The bytes of the blank at pos (a space, a tab or an ideographic space, E3 80 80), 0 for
// anything else.
std::size_t blankAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return 0;
    const char b = text[pos];
    if (b == ' ' || b == '\t')
        return 1;
    return b == '\xE3' && text.size() - pos >= 3 && text[pos + 1] == '\x80' && text[pos + 2] == '\x80' ? 3 : 0;
}

// The same for the blank that ends at pos.
std::size_t blankBefore(std::string_view text, std::size_t pos)
{
    if (pos == 0)
        return 0;
    const char b = text[pos - 1];
    if (b == ' ' || b == '\t')
        return 1;
    return b == '\x80' && pos >= 3 && text[pos - 2] == '\x80' && text[pos - 3] == '\xE3' ? 3 : 0;
}

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isLetterOrDigit(const Utf8Char& c)
{
    return (mailCharacter(c) & kLetterOrDigit) != 0;
}

bool startsWithNoCase(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return true;
}

// Tables, code and drawings: a tab, a box-drawing, block or table character, a run of blanks
// inside the text (two spaces after a full stop are a typist's sentence spacing, not a
// column), or a line of three or more characters with no letter or digit (a rule, ASCII art).
bool looksVerbatim(std::string_view body, bool marked)
{
    for (std::size_t pos = marked ? findVerbatimMark(body, 0) : body.size(); pos < body.size(); pos = findVerbatimMark(body, pos + 1)) {
        const char b = body[pos];
        if (b == '\t' || b == '|')
            return true;
        std::size_t blank = pos;
        if (b == '\x80' && pos > 0 && blankAt(body, pos - 1) == 3)
            blank = pos - 1;
        else if (b != ' ') {
            if (mailCharacter(characterAt(body, pos)) & kTableDrawing)
                return true;
            continue;
        }
        std::size_t end = blank + blankAt(body, blank);
        const std::size_t second = end;
        while (const std::size_t n = blankAt(body, end))
            end += n;
        const bool spacing = second == blank + 1 && end == blank + 2 && blank > 0 && std::strchr(".!?", body[blank - 1]);
        if (end > second && end < body.size() && !spacing)
            return true;
    }
    // Most lines start with a letter: an ASCII letter or digit, a kana (E3 81 to E3 83) or a kanji
    // (E4 to E9).
    const auto first = static_cast<unsigned char>(body[0]);
    if (isAsciiAlnum(char(first)) || (first >= 0xE4 && first <= 0xE9)
        || (first == 0xE3 && body.size() > 1 && static_cast<unsigned char>(body[1]) >= 0x81 && static_cast<unsigned char>(body[1]) <= 0x83)
        || isLetterOrDigit(characterAt(body, 0)))
        return false;
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < body.size(); ++characters) {
        const Utf8Char c = characterAt(body, pos);
        if (isLetterOrDigit(c))
            return false;
        pos += c.length;
    }
    return characters >= 3;
}

// An addressee, a greeting or a closing on a short line: "山田様", "営業部各位", "株式会社ABC 御中",
// "Dear Ms. Ito,", "Hi Taro,", "Best regards,", "以上".
bool looksFixed(std::string_view text)
{
    if (text.size() > 120)
        return false;
    // The last character, past one mark of punctuation after it.
    std::size_t end = characterStartBefore(text, text.size());
    char32_t last = characterAt(text, end).code;
    if (end > 0 && (last == U'、' || last == U'，' || last == U'：' || last == U'！' || last == ',' || last == ':' || last == '!' || last == U'。')) {
        end = characterStartBefore(text, end);
        last = characterAt(text, end).code;
    }
    const std::string_view core = text.substr(0, end);
    switch (last) {
    case U'様': // 様, さん, 各位, 御中, 殿, 先生
    case U'殿':
        return textWidth(text) <= 40;
    case U'ん':
    case U'位':
    case U'中':
    case U'生':
        if (core.ends_with("さ") || core.ends_with("各") || core.ends_with("御") || core.ends_with("先"))
            return textWidth(text) <= 40;
        break;
    case U'上':
        return core == "以";
    default:
        break;
    }
    const char c = char(text[0] | 0x20);
    if ((c == 'd' || c == 'h') && (startsWithNoCase(text, "dear ") || startsWithNoCase(text, "hi ") || startsWithNoCase(text, "hi,")
                                   || startsWithNoCase(text, "hello") || startsWithNoCase(text, "hey ")))
        return textWidth(text) <= 40;
    // An English closing: a few words and a comma.
    if (text.back() != ',' || text.size() > 30)
        return false;
    int words = 1;
    for (const char b : text) {
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
        words += b == ' ';
    }
    return words <= 3;
}

// Whether text starts with a list item's bullet or number, or with a label such as "件名：",
// "Subject:" or "【日時】".
bool startsListItem(std::string_view text)
{
    const Utf8Char first = characterAt(text, 0);
    const auto at = [&](std::size_t pos) { return pos < text.size() ? text[pos] : '\0'; };
    if (first.code < 0x80) {
        const char c = char(first.code);
        if ((c == '-' || c == '*' || c == '+') && at(1) == ' ')
            return true;
        // "1.", "12)", "a)" and "(1)", "[2]": a short number or letter and its mark.
        std::size_t pos = c == '(' || c == '[' ? 1 : 0;
        const std::size_t from = pos;
        while (pos < text.size() && pos - from < 3 && isAsciiAlnum(text[pos]))
            ++pos;
        const bool digits = pos > from && std::all_of(text.begin() + std::ptrdiff_t(from), text.begin() + std::ptrdiff_t(pos),
                                                       [](char d) { return d >= '0' && d <= '9'; });
        if (pos > from && (digits || pos - from == 1)) {
            const char mark = at(pos);
            const char after = at(pos + 1);
            const bool ends = after == ' ' || after == '\0' || static_cast<unsigned char>(after) >= 0x80;
            if (from == 1 && (mark == ')' || mark == ']'))
                return true;
            if (from == 0 && (mark == ')' || (mark == '.' && ends)))
                return true;
        }
    } else if (first.valid) {
        const unsigned flags = mailCharacter(first.code);
        // A symbol, an arrow or an enclosed number as a bullet ("■", "→", "①"), not an emoji,
        // which starts text as often.
        if (flags & kBullet)
            return true;
        static constexpr std::array<char32_t, 10> kBullets = {U'・', U'•', U'※', U'＊', U'‣', U'◦', U'－', U'‐', U'–', U'—'};
        if (std::find(kBullets.begin(), kBullets.end(), first.code) != kBullets.end())
            return true;
        // "１．", "２）", "一、": a few digits or numerals and their mark.
        std::size_t pos = 0;
        for (int n = 0; n < 3 && pos < text.size(); ++n) {
            const Utf8Char c = characterAt(text, pos);
            if (c.code < 0x80 || !(mailCharacter(c) & kNumeric))
                break;
            pos += c.length;
        }
        if (pos > 0 && pos < text.size()) {
            const char32_t mark = characterAt(text, pos).code;
            if (mark == U'．' || mark == U'）' || mark == U'、' || mark == U'.' || mark == U')')
                return true;
        }
        // "【日時】", "〔注〕": a heading in lenticular or tortoise-shell brackets; "（１）", "［２］":
        // a number in brackets.
        if (flags & kOpening) {
            const bool heading = first.code == U'【' || first.code == U'〔' || first.code == U'《';
            std::size_t at = first.length;
            for (int n = 0; n < 12 && at < text.size(); ++n) {
                const Utf8Char c = characterAt(text, at);
                if (n > 0 && (mailCharacter(c) & kClosing))
                    return true;
                if (!heading && (n == 3 || !(mailCharacter(c) & kNumeric)))
                    break;
                at += c.length;
            }
        }
    }
    // A label: a word of up to eight full-width characters and a colon ("件名：", "To: ").
    const std::string_view start = text.substr(0, 3 * 9);
    if (std::none_of(start.begin(), start.end(), [](char b) { return b == ':' || b == '\x9A'; })) // ：is EF BC 9A
        return false;
    std::size_t pos = 0;
    std::int64_t width = 0;
    while (pos < text.size() && width <= 16) {
        const Utf8Char c = characterAt(text, pos);
        if (c.code == U'：' && pos > 0)
            return true;
        if (c.code == ':' && pos > 0)
            return at(pos + 1) == ' ' || pos + 1 == text.size();
        if (!(c.code == '-' || isLetterOrDigit(c)))
            return false;
        width += c.width;
        pos += c.length;
    }
    return false;
}

bool endsSentence(char32_t c)
{
    switch (c) {
    case U'。': case U'．': case U'！': case U'？': case U'.': case U'!': case U'?':
        return true;
    default:
        return false;
    }
}

} // namespace

std::size_t quoteMarksLength(std::string_view content)
{
    if (content.empty() || (content[0] != '>' && content[0] != kFullWidthMark[0]))
        return 0;
    std::size_t pos = 0, end = 0;
    for (;;) {
        if (pos < content.size() && content[pos] == '>')
            pos += 1;
        else if (content.substr(pos).starts_with(kFullWidthMark))
            pos += kFullWidthMark.size();
        else
            break;
        end = pos;
        while (const std::size_t n = blankAt(content, pos))
            pos += n;
    }
    return end < content.size() && content[end] == ' ' ? end + 1 : end;
}

bool isBlankMailLine(std::string_view content)
{
    for (std::size_t pos = quoteMarksLength(content); pos < content.size();) {
        const std::size_t n = blankAt(content, pos);
        if (n == 0)
            return false;
        pos += n;
    }
    return true;
}

MailLine classifyMailLine(std::string_view content, bool marked)
{
    MailLine line;
    line.prefixLength = std::uint32_t(quoteMarksLength(content));
    const std::string_view rest = content.substr(line.prefixLength);
    std::size_t indent = 0, ideographic = 0, other = 0;
    while (const std::size_t n = blankAt(rest, indent)) {
        (n == 3 ? ideographic : other) += 1;
        if (rest[indent] == '\t')
            other += 2;
        indent += n;
    }
    std::size_t end = rest.size();
    while (const std::size_t n = blankBefore(rest, end))
        end -= n;
    if (end <= indent) {
        line.kind = MailLineKind::Blank;
        return line;
    }
    const std::string_view text = rest.substr(indent, end - indent);
    line.flowed = rest.size() - end == 1 && rest.back() == ' ';
    // Most lines end in ASCII or in a three-byte character (kana, kanji, full-width forms).
    const auto byteBack = [&](std::size_t n) { return static_cast<unsigned char>(text[text.size() - n]); };
    std::size_t lastStart = text.size() - 1;
    if (byteBack(1) >= 0x80)
        lastStart = text.size() >= 3 && byteBack(3) >= 0xE1 && byteBack(3) <= 0xEF && (byteBack(2) & 0xC0) == 0x80
                && (byteBack(1) & 0xC0) == 0x80
            ? text.size() - 3
            : characterStartBefore(text, text.size());
    const Utf8Char last = characterAt(text, lastStart);
    line.punctuated = (mailCharacter(last) & kPunctuation) != 0;
    line.endsSentence = last.valid && endsSentence(last.code);
    line.hangs = last.code == U'、' || last.code == U'，' || last.code == U'。' || last.code == U'．';
    const char first = char(text[0] | 0x20);
    line.link = (first == 'h' || first == 'f' || first == 'm' || first == 'w' || first == '\\')
        && (startsWithNoCase(text, "http://") || startsWithNoCase(text, "https://") || startsWithNoCase(text, "ftp://")
            || startsWithNoCase(text, "mailto:") || startsWithNoCase(text, "www.") || text.starts_with("\\\\"));

    if (indent == 0 && text == "--")
        line.kind = MailLineKind::Signature;
    else if (other >= 2 || looksVerbatim(text, marked))
        line.kind = MailLineKind::Verbatim;
    else if (indent > 0)
        line.kind = ideographic == 1 && other == 0 ? MailLineKind::Head : MailLineKind::Fixed;
    return line;
}

MailLineKind textLineKind(std::string_view content, std::size_t prefixLength)
{
    std::string_view text = content.substr(prefixLength);
    while (!text.empty() && blankBefore(text, text.size()))
        text.remove_suffix(blankBefore(text, text.size()));
    if (looksFixed(text))
        return MailLineKind::Fixed;
    return startsListItem(text) ? MailLineKind::Head : MailLineKind::Text;
}

} // namespace navrik
