// SPDX-License-Identifier: MIT
#include "core/TextWidth.h"

#include "core/Graphemes.h"
#include "core/WidthScan.h"

namespace navrik {

namespace {

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

Utf8Char invalidByte(unsigned char b)
{
    return Utf8Char{char32_t(b), 1, 1, false};
}

} // namespace

int columnWidth(char32_t c)
{
    if (c <= 0x7F || (c >= 0xFF61 && c <= 0xFF9F))
        return 1;
    return 2;
}

Utf8Char characterAt(std::string_view text, std::size_t pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80)
        return Utf8Char{b0, 1, 1, true};
    // The common three-byte characters (kana, kanji, full-width forms; lead bytes E1 to EF but
    // ED) allow any continuation bytes: decoded straight away, as they are at every cut.
    if (b0 > 0xE0 && b0 < 0xF0 && b0 != 0xED && text.size() - pos >= 3 && isContinuation(byte(1))
        && isContinuation(byte(2))) {
        const char32_t code = (char32_t(b0 & 0x0F) << 12) | (char32_t(byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        return Utf8Char{code, 3, columnWidth(code), true};
    }

    // Strict decoding: no overlong forms, no surrogates, nothing above U+10FFFF.
    std::size_t length = 0;
    char32_t code = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        code = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        code = b0 & 0x0F;
        if (b0 == 0xE0)
            low = 0xA0;
        else if (b0 == 0xED)
            high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        code = b0 & 0x07;
        if (b0 == 0xF0)
            low = 0x90;
        else if (b0 == 0xF4)
            high = 0x8F;
    } else {
        return invalidByte(b0);
    }
    if (text.size() - pos < length)
        return invalidByte(b0);
    const unsigned char b1 = byte(1);
    if (b1 < low || b1 > high)
        return invalidByte(b0);
    code = (code << 6) | (b1 & 0x3F);
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(byte(i)))
            return invalidByte(b0);
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return Utf8Char{code, length, columnWidth(code), true};
}

std::int64_t textWidth(std::string_view text)
{
    std::int64_t width = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++width;
            ++pos;
            continue;
        }
        const Utf8Char c = characterAt(text, pos);
        width += c.width;
        pos += c.length;
    }
    return width;
}

namespace {

// fitLength, and where the last character that fits starts (0 when none does, kUnknown when
// it is the quick measure's last). Returned by value, so the scan keeps both in registers.
constexpr std::size_t kUnknown = std::size_t(-1);

struct Fit {
    std::size_t end;
    std::size_t last;
};

Fit fitWithLast(std::string_view line, std::int64_t budget)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t size = line.size();
    // The quick measure takes whole blocks of plain text that fit; the rest is stepped over here.
    const MeasuredPrefix quick = measureFittingPrefix(line, budget);
    std::size_t pos = quick.length;
    std::int64_t used = quick.width;
    std::size_t last = pos > 0 ? kUnknown : 0;
    while (pos < size) {
        // ASCII and the common three-byte characters (kana, kanji, punctuation; lead bytes
        // E1 to EC and EE, which hold no half-width form) are stepped over here; the rest
        // goes through the full decoder.
        const unsigned char b = bytes[pos];
        std::size_t length = 1;
        int width = 1;
        if (b >= 0x80) {
            if (((b >= 0xE1 && b <= 0xEC) || b == 0xEE) && size - pos >= 3 && isContinuation(bytes[pos + 1])
                && isContinuation(bytes[pos + 2])) {
                length = 3;
                width = 2;
            } else {
                const Utf8Char c = characterAt(line, pos);
                length = c.length;
                width = c.width;
            }
        }
        if (used + width > budget)
            break;
        used += width;
        last = pos;
        pos += length;
    }
    return {pos, last};
}

} // namespace

std::size_t fitLength(std::string_view line, std::int64_t budget)
{
    return fitWithLast(line, budget).end;
}

std::size_t splitLength(std::string_view line, std::int64_t budget)
{
    // No character is wider in columns than it is long in bytes, so a line with no more
    // bytes than the budget fits without looking at it.
    if (static_cast<std::int64_t>(line.size()) <= budget)
        return line.size();
    auto [fit, last] = fitWithLast(line, budget);
    if (fit == line.size())
        return fit;
    if (last == kUnknown)
        last = characterStartBefore(line, fit);
    // Most cuts in mail fall between two characters that never join a neighbour: ASCII (CR before
    // LF aside), kana and kanji (lead bytes E3 to E9, U+3000 to U+9FFF, whose only joining
    // characters are the marks U+302A to U+302F and the voiced marks U+3099 and U+309A). No
    // lookup is needed there.
    const auto plain = [&](std::size_t pos) {
        const auto b = static_cast<unsigned char>(line[pos]);
        if (b < 0x80 || (b >= 0xE4 && b <= 0xE9))
            return true;
        if (b != 0xE3 || line.size() - pos < 3)
            return false;
        const auto b1 = static_cast<unsigned char>(line[pos + 1]), b2 = static_cast<unsigned char>(line[pos + 2]);
        return !((b1 == 0x80 && b2 >= 0xAA && b2 <= 0xAF) || (b1 == 0x82 && (b2 == 0x99 || b2 == 0x9A)));
    };
    if (fit > 0 && plain(last) && plain(fit) && !(line[last] == '\r' && line[fit] == '\n'))
        return fit;
    // Only the cut itself is looked at for clusters: in most text it falls between two
    // characters that never join.
    return clusterCut(line, fit, last);
}

} // namespace navrik
