// SPDX-License-Identifier: MIT
#pragma once

#include "core/ConfigLocation.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace navrik {

// Reads and writes single keys of the settings file, an INI file of "[section]" headers and
// "key=value" lines. The object holds only the path: making it touches no file, and every
// operation opens, reads or replaces the file itself, so nothing is cached between calls.
//
// Values are raw bytes (the quote mark is stored in code page 932; the caller converts it);
// nothing here decodes them. Section and key names match without regard to ASCII letter case;
// the first matching section and, within it, the first line naming the key are the ones read
// and written. A line holding only the key's name counts as the key with no value, so it reads
// as the default; a "[name" line without its closing bracket is no section header.
//
// A file that starts with a UTF-16 byte-order mark (either byte order) is read and written as
// UTF-16: values come out in code page 932 ('?' for a character it can't hold) and go in from
// code page 932, or from UTF-8 where the bytes are not code page 932.
//
// Reads never fail: a missing or unreadable file, section or key gives the default. A file of
// any size is read whole.
// Writes hold an advisory lock (flock) on the file from reading it to replacing it, so two
// processes saving at once lose no key. They replace the whole file atomically with one that
// has its owner, mode and extended attributes (ACLs among them); where that can't be done (the
// folder refuses the temporary file, the file has other hard links, its owner or attributes
// can't be carried over) the file is rewritten in place. A new file gets the mode the kernel
// gives any new file. Temporary files that a killed save left behind are removed. A symbolic
// link is followed only to an existing regular file owned by the owner of the link's folder.
// Writes throw navrik::Error("tolvane.ini に書き込めません") when the file can't be written,
// leaving the previous file as it was.
class SettingsFile {
public:
    explicit SettingsFile(std::filesystem::path path = settingsFilePath());

    const std::filesystem::path& path() const { return m_path; }

    // The value with blanks and tabs trimmed, ending at a NUL byte if it holds one (as a C
    // string does), and one pair of matching double quotes or apostrophes around it dropped, at
    // most kMaxTextLength bytes; the default, unchanged, when the file, the section, the key or
    // its value is missing or the file can't be read.
    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
    // Stores "key=value" with the value byte for byte; an existing line is replaced where it
    // stands, keeping the key's own spelling, a new key follows the last key line of its
    // section, a new section goes at the end of the file. Every other line is kept byte for
    // byte, line endings included. A key that already holds the value is left as it is.
    void WriteText(std::string_view section, std::string_view key, std::string_view value) const;

    // Decimal with an optional sign, or "$" / "0x" hexadecimal read as a 32-bit pattern;
    // anything else (a blank inside, a trailing letter, too large a value) gives the default.
    std::int32_t ReadNumber(std::string_view section, std::string_view key,
                            std::int32_t defaultValue) const;
    void WriteNumber(std::string_view section, std::string_view key, std::int32_t value) const;

    // On when the stored number is not 0; a value that isn't a number gives the default.
    bool ReadFlag(std::string_view section, std::string_view key, bool defaultValue) const;
    // Stores "1" or "0".
    void WriteFlag(std::string_view section, std::string_view key, bool value) const;

    static constexpr std::size_t kMaxTextLength = 1023;

private:
    [[noreturn]] void failWrite() const;

    std::filesystem::path m_path;
};

} // namespace navrik
