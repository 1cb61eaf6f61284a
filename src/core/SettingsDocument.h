// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace navrik {

// The settings file's text in memory: an INI file of "[section]" headers and "key=value" lines,
// read and changed a key at a time and written back whole.
//
// Values are raw bytes (the quote mark is stored in code page 932; the caller converts it);
// nothing here decodes them. Section and key names match without regard to ASCII letter case;
// the first matching section and, within it, the first line naming the key are the ones read
// and set. A line holding only the key's name counts as the key with no value, so it reads as
// the default; a "[name" line without its closing bracket is no section header.
//
// Text that starts with a UTF-16 byte-order mark (either byte order) is UTF-16 throughout and
// stays so: values come out in code page 932 ('?' for a character it can't hold) and go in from
// code page 932, or from UTF-8 where the bytes are not code page 932. A UTF-8 byte-order mark
// is kept and skipped.
class SettingsDocument {
public:
    SettingsDocument() = default;
    explicit SettingsDocument(std::string bytes);

    // The file's bytes as they now stand.
    std::string bytes() const;

    // The value with blanks and tabs trimmed, ending at a NUL byte if it holds one (as a C
    // string does), and one pair of matching double quotes or apostrophes around it dropped, at
    // most kMaxTextLength bytes; the default, unchanged, when the section, the key or its value
    // is missing.
    std::string text(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Decimal with an optional sign, or "$" / "0x" hexadecimal read as a 32-bit pattern;
    // anything else (a blank inside, a trailing letter, too large a value) gives the default.
    std::int32_t number(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    // On when the stored number is not 0; a value that isn't a number gives the default.
    bool flag(std::string_view section, std::string_view key, bool defaultValue) const;

    // Whether the section has a line for the key, with a value or without.
    bool holds(std::string_view section, std::string_view key) const;

    // Stores "key=value" with the value byte for byte; an existing line is replaced where it
    // stands, keeping the key's own spelling, a new key follows the last key line of its
    // section, a new section goes at the end. Every other line is kept byte for byte, line
    // endings included, and a key that already holds the value is left as it is. False, with
    // nothing changed, when the value can't be stored: a line break or a NUL in a name or the
    // value, or, in a UTF-16 file, bytes that are neither code page 932 nor UTF-8.
    [[nodiscard]] bool set(std::string_view section, std::string_view key, std::string_view value);

    static constexpr std::size_t kMaxTextLength = 1023;

private:
    enum class Encoding { Bytes, Utf16LE, Utf16BE };

    Encoding m_encoding = Encoding::Bytes;
    std::string m_bytes;     // the whole text of a byte file
    std::size_t m_start = 0; // where its lines start: after a UTF-8 byte-order mark
    std::u16string m_units;  // the code units of a UTF-16 file after its byte-order mark
    std::string m_oddByte;   // an odd last byte of a UTF-16 file, kept where it was
};

} // namespace navrik
