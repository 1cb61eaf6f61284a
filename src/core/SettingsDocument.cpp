// SPDX-License-Identifier: MIT
#include "core/SettingsDocument.h"

#include "core/Cp932.h"
#include "core/IntegerText.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace navrik {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

template <class Ch> using View = std::basic_string_view<Ch>;
template <class Ch> using Text = std::basic_string<Ch>;

// ---- Parsing, over bytes or over UTF-16 code units -----------------------------------------

template <class Ch> bool isBlank(Ch c) { return c == Ch(' ') || c == Ch('\t'); }
template <class Ch> bool isLineBreak(Ch c) { return c == Ch('\r') || c == Ch('\n'); }

template <class Ch> View<Ch> trim(View<Ch> s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

template <class Ch> Ch asciiLower(Ch c) { return (c >= Ch('A') && c <= Ch('Z')) ? Ch(c - 'A' + 'a') : c; }

template <class Ch> bool sameName(View<Ch> a, View<Ch> b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// One line of the file as offsets into it: [begin, contentEnd) is the text, [contentEnd, end)
// its line break (CR LF, LF, a lone CR, or nothing on an unterminated last line).
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

template <class Ch> Line lineAt(View<Ch> text, std::size_t pos)
{
    std::size_t brk = pos;
    while (brk < text.size() && !isLineBreak(text[brk]))
        ++brk;
    if (brk == text.size())
        return {pos, brk, brk};
    // CR LF, LF or a lone CR, as breakAt reads them, over bytes or UTF-16 code units alike.
    const bool crLf = text[brk] == Ch('\r') && brk + 1 < text.size() && text[brk + 1] == Ch('\n');
    return {pos, brk, brk + (crLf ? 2 : 1)};
}

// Where a section and a key stand in the file. Only the first section with the name counts,
// and in it the first line that names the key: "key=value", or the bare name, which holds no
// value and so reads as the default.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    bool hasValue = false;        // the key's line has an equals sign
    Line keyLine;                 // the key's line, when found
    std::size_t nameEnd = 0;      // just after the key's name as the line spells it
    std::size_t valueBegin = 0;   // just after the key line's equals sign
    Line lastLine;                // the section's last key line, or its header without any
};

template <class Ch>
Location locate(View<Ch> text, std::size_t start, View<Ch> section, View<Ch> key)
{
    Location where;
    section = trim(section);
    key = trim(key);
    bool inSection = false;
    for (std::size_t pos = start; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.end;
        const View<Ch> content = text.substr(line.begin, line.contentEnd - line.begin);
        const View<Ch> trimmed = trim(content);
        // A header needs its closing bracket; "[name" without one is an ordinary line.
        const std::size_t close = trimmed.find(Ch(']'));
        if (trimmed.starts_with(Ch('[')) && close != View<Ch>::npos) {
            if (inSection)
                break;
            if (sameName(trim(trimmed.substr(1, close - 1)), section)) {
                where.sectionFound = inSection = true;
                where.lastLine = line;
            }
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t equals = content.find(Ch('='));
        const View<Ch> name = trim(content.substr(0, equals));
        if (equals != View<Ch>::npos)
            where.lastLine = line;
        if (!name.empty() && sameName(name, key)) {
            where.keyFound = true;
            where.hasValue = equals != View<Ch>::npos;
            where.keyLine = line;
            where.nameEnd = std::size_t(name.data() + name.size() - text.data());
            where.valueBegin = where.hasValue ? line.begin + equals + 1 : line.contentEnd;
            break;
        }
    }
    return where;
}

// The key's value as stored, blanks around it trimmed.
template <class Ch> View<Ch> rawValue(View<Ch> text, const Location& where)
{
    return trim(text.substr(where.valueBegin, where.keyLine.contentEnd - where.valueBegin));
}

// The value as a reader gets it: it ends at a NUL, as a C string does, and then loses one pair
// of matching double quotes or apostrophes around it.
template <class Ch> View<Ch> readValue(View<Ch> raw)
{
    raw = raw.substr(0, raw.find(Ch('\0')));
    if (raw.size() >= 2 && (raw.front() == Ch('"') || raw.front() == Ch('\'')) && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    return raw;
}

// The file with the key's line set to "key=value", every other unit kept. A key that is
// already there keeps its own spelling and what stands before it on its line.
template <class Ch>
Text<Ch> withKey(View<Ch> text, std::size_t start, const Location& where, View<Ch> section,
                 View<Ch> key, View<Ch> value)
{
    static constexpr Ch lineBreak[] = {Ch('\r'), Ch('\n')};
    const View<Ch> crlf(lineBreak, 2);
    const Ch equals = Ch('=');
    Text<Ch> out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    auto appendKeyLine = [&] { out.append(key).append(1, equals).append(value); };

    if (where.keyFound) {
        out.append(text.substr(0, where.nameEnd)).append(1, equals).append(value);
        out.append(text.substr(where.keyLine.contentEnd));
    } else if (where.sectionFound) {
        const Line after = where.lastLine;
        out.append(text.substr(0, after.end));
        if (after.end == after.contentEnd)
            out.append(crlf);
        appendKeyLine();
        out.append(crlf);
        out.append(text.substr(after.end));
    } else {
        out.append(text);
        if (text.size() > start && !isLineBreak(text.back()))
            out.append(crlf);
        out.append(1, Ch('[')).append(section).append(1, Ch(']')).append(crlf);
        appendKeyLine();
        out.append(crlf);
    }
    return out;
}

// ---- Encodings ----------------------------------------------------------------------------

// The code units after the byte-order mark, taken as they are: ICU's UTF-16 converters would
// turn a lone surrogate into U+FFFD, and a rewrite must keep every unit but the key's line's.
// An odd last byte is left out; the writer puts it back where it was.
std::u16string decodeUtf16(std::string_view file, bool bigEndian)
{
    std::u16string units;
    units.reserve(file.size() / 2);
    for (std::size_t i = 2; i + 1 < file.size(); i += 2) {
        const auto first = static_cast<unsigned char>(file[i]);
        const auto second = static_cast<unsigned char>(file[i + 1]);
        units.push_back(bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first));
    }
    return units;
}

std::string encodeUtf16(std::u16string_view units, bool bigEndian, std::string_view oddByte)
{
    std::string file(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    file.reserve(2 + units.size() * 2 + oddByte.size());
    for (const char16_t unit : units) {
        const char high = char(unit >> 8);
        const char low = char(unit & 0xFF);
        file.push_back(bigEndian ? high : low);
        file.push_back(bigEndian ? low : high);
    }
    return file.append(oddByte);
}

bool holdsLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

SettingsDocument::SettingsDocument(std::string bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        m_encoding = bytes[0] == '\xFE' ? Encoding::Utf16BE : Encoding::Utf16LE;
        m_units = decodeUtf16(bytes, m_encoding == Encoding::Utf16BE);
        if (bytes.size() % 2)
            m_oddByte = bytes.substr(bytes.size() - 1);
        return;
    }
    m_start = bytes.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
    m_bytes = std::move(bytes);
}

std::string SettingsDocument::bytes() const
{
    if (m_encoding == Encoding::Bytes)
        return m_bytes;
    return encodeUtf16(m_units, m_encoding == Encoding::Utf16BE, m_oddByte);
}

std::string SettingsDocument::text(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const
{
    std::string value;
    if (m_encoding == Encoding::Bytes) {
        const Location where = locate<char>(m_bytes, m_start, section, key);
        if (!where.hasValue)
            return std::string(defaultValue);
        value = readValue(rawValue<char>(m_bytes, where));
    } else {
        const auto section16 = storedTextToUtf16(section);
        const auto key16 = storedTextToUtf16(key);
        if (!section16 || !key16)
            return std::string(defaultValue);
        const Location where = locate<char16_t>(m_units, 0, *section16, *key16);
        if (!where.hasValue)
            return std::string(defaultValue);
        value = utf16ToCp932(readValue(rawValue<char16_t>(m_units, where)));
    }
    value.resize(std::min(value.size(), kMaxTextLength));
    return value;
}

std::int32_t SettingsDocument::number(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const
{
    std::string value = text(section, key, {});
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X'))
        value.replace(0, 2, "$");
    return readInt32(value).value_or(defaultValue);
}

bool SettingsDocument::flag(std::string_view section, std::string_view key, bool defaultValue) const
{
    return number(section, key, defaultValue ? 1 : 0) != 0;
}

bool SettingsDocument::holds(std::string_view section, std::string_view key) const
{
    if (m_encoding == Encoding::Bytes)
        return locate<char>(m_bytes, m_start, section, key).keyFound;
    const auto section16 = storedTextToUtf16(section);
    const auto key16 = storedTextToUtf16(key);
    return section16 && key16 && locate<char16_t>(m_units, 0, *section16, *key16).keyFound;
}

bool SettingsDocument::set(std::string_view section, std::string_view key, std::string_view value)
{
    // A line break inside a name or a value would split the line and corrupt the file.
    if (holdsLineBreakOrNul(section) || holdsLineBreakOrNul(key) || holdsLineBreakOrNul(value))
        return false;
    if (m_encoding == Encoding::Bytes) {
        const Location where = locate<char>(m_bytes, m_start, section, key);
        if (!where.hasValue || rawValue<char>(m_bytes, where) != value)
            m_bytes = withKey<char>(m_bytes, m_start, where, section, key, value);
        return true;
    }
    const auto section16 = storedTextToUtf16(section);
    const auto key16 = storedTextToUtf16(key);
    const auto value16 = storedTextToUtf16(value);
    if (!section16 || !key16 || !value16)
        return false;
    const Location where = locate<char16_t>(m_units, 0, *section16, *key16);
    // A stored value that code page 932 can't hold reads as '?': setting back what was read
    // must keep the original characters.
    if (!where.hasValue || utf16ToCp932(rawValue<char16_t>(m_units, where)) != value)
        m_units = withKey<char16_t>(m_units, 0, where, *section16, *key16, *value16);
    return true;
}

} // namespace navrik
