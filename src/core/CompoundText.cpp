// SPDX-License-Identifier: MIT
#include "core/CompoundText.h"

#include <unicode/unistr.h>

#include <cstdint>

namespace navrik {

namespace {

// A character set as ICU converts it: its characters' bytes, each with the high bit set unless
// the set is ASCII's, behind `prefix`, make the characters of `converter`. JIS X 0201's Roman half
// is ASCII with a yen sign and an overline.
struct Set {
    const char* converter = nullptr; // none: every byte in it is U+FFFD
    int width = 1;
    char prefix = 0;
    bool high = true;
    bool jisRoman = false;
};

constexpr Set kAscii{"US-ASCII", 1, 0, false};
constexpr Set kLatin1{"ISO-8859-1"};

// The set an escape sequence's intermediates and final byte designate, and whether to GR.
bool designation(std::string_view intermediates, char final, Set& set, bool& toRight)
{
    if (intermediates == "(" || intermediates == ")") { // 94 characters
        toRight = intermediates == ")";
        switch (final) {
        case 'B': set = kAscii; return true;
        case 'J': set = Set{"US-ASCII", 1, 0, false, true}; return true;
        case 'I': set = Set{"EUC-JP", 1, '\x8e'}; return true;
        default: set = Set{}; return true;
        }
    }
    if (intermediates == "-") { // 96 characters
        toRight = true;
        static constexpr std::pair<char, const char*> parts[] = {
            {'A', "ISO-8859-1"}, {'B', "ISO-8859-2"}, {'C', "ISO-8859-3"}, {'D', "ISO-8859-4"}, {'F', "ISO-8859-7"},
            {'G', "ISO-8859-6"}, {'H', "ISO-8859-8"}, {'L', "ISO-8859-5"}, {'M', "ISO-8859-9"}, {'b', "ISO-8859-15"}};
        set = Set{};
        for (const auto& [code, name] : parts) {
            if (code == final)
                set = Set{name};
        }
        return true;
    }
    if (intermediates == "$(" || intermediates == "$)" || intermediates == "$") { // 94 by 94
        toRight = intermediates == "$)";
        switch (final) {
        case 'A': set = Set{"GB2312", 2}; return true;
        case '@':
        case 'B': set = Set{"EUC-JP", 2}; return true;
        case 'C': set = Set{"EUC-KR", 2}; return true;
        case 'D': set = Set{"EUC-JP", 2, '\x8f'}; return true;
        default: set = Set{nullptr, 2}; return true;
        }
    }
    return false;
}

// Collects the characters of one set at a time and converts them together.
class Output {
public:
    void character(const Set& set, std::string_view bytes)
    {
        if (m_set.converter != set.converter || m_set.prefix != set.prefix || m_set.jisRoman != set.jisRoman)
            flush();
        m_set = set;
        if (!set.converter) {
            for (std::size_t i = 0; i < bytes.size(); ++i)
                m_out += "\xEF\xBF\xBD";
            return;
        }
        if (set.prefix)
            m_pending += set.prefix;
        for (char byte : bytes)
            m_pending += char(set.high ? byte | '\x80' : byte & '\x7f');
    }

    void raw(std::string_view utf8)
    {
        flush();
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), std::int32_t(utf8.size()))).toUTF8String(m_out);
    }

    std::string finish()
    {
        flush();
        return std::move(m_out);
    }

private:
    void flush()
    {
        if (m_pending.empty())
            return;
        icu::UnicodeString text(m_pending.data(), std::int32_t(m_pending.size()), m_set.converter);
        if (m_set.jisRoman) {
            text.findAndReplace(icu::UnicodeString(u'\\'), icu::UnicodeString(u'\u00a5'));
            text.findAndReplace(icu::UnicodeString(u'~'), icu::UnicodeString(u'\u203e'));
        }
        text.toUTF8String(m_out);
        m_pending.clear();
    }

    Set m_set;
    std::string m_pending;
    std::string m_out;
};

} // namespace

std::string compoundTextToUtf8(std::string_view bytes)
{
    Set left = kAscii;
    Set right = kLatin1;
    Output out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0x1b) {
            std::size_t end = i + 1;
            while (end < bytes.size() && bytes[end] >= 0x20 && bytes[end] <= 0x2f)
                ++end;
            if (end == bytes.size()) {
                out.character(Set{}, bytes.substr(i));
                break;
            }
            const std::string_view intermediates = bytes.substr(i + 1, end - i - 1);
            i = end + 1;
            Set set;
            bool toRight = false;
            if (intermediates == "%" && bytes[end] == 'G') { // UTF-8 up to ESC % @
                std::size_t close = bytes.find("\x1b%@", i);
                if (close == std::string_view::npos)
                    close = bytes.size();
                out.raw(bytes.substr(i, close - i));
                i = std::min(close + 3, bytes.size());
            } else if (designation(intermediates, bytes[end], set, toRight)) {
                (toRight ? right : left) = set;
            }
            continue; // other escapes (direction, unknown segments) carry no characters
        }
        if (byte < 0x20 || byte == 0x7f) { // controls are themselves whatever the sets
            out.raw(bytes.substr(i, 1));
            ++i;
            continue;
        }
        if (byte >= 0x80 && byte < 0xa0) { // C1 controls are no text
            out.character(Set{}, bytes.substr(i, 1));
            ++i;
            continue;
        }
        const Set& set = byte < 0x80 ? left : right;
        const std::size_t width = std::min<std::size_t>(std::size_t(set.width), bytes.size() - i);
        out.character(width == std::size_t(set.width) ? set : Set{}, bytes.substr(i, width));
        i += width;
    }
    return out.finish();
}

} // namespace navrik
