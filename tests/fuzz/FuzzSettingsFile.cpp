// SPDX-License-Identifier: MIT
// The settings file on any bytes: setting a key changes only its own line (or adds it), every
// other key reads as before, and setting the value it already has leaves the file as it was.
#include "FuzzInput.h"

#include "core/Settings.h"
#include "core/SettingsDocument.h"

#include <cstdlib>
#include <string>

using namespace navrik;

namespace {

// The file as its lines are read: one unit a byte, or after a UTF-16 byte-order mark one a
// UTF-16 code unit (an odd last byte stays a unit of its own).
std::u16string units(const std::string& file)
{
    const bool big = file.starts_with("\xFE\xFF");
    const bool wide = big || file.starts_with("\xFF\xFE");
    std::u16string out;
    for (std::size_t i = 0; i < file.size(); i += wide ? 2 : 1) {
        const auto first = static_cast<unsigned char>(file[i]);
        const auto second = i + 1 < file.size() ? static_cast<unsigned char>(file[i + 1]) : -1;
        out.push_back(!wide || second < 0 ? char16_t(first) : char16_t(big ? first << 8 | second : second << 8 | first));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    const SettingInfo& changed = kSettingTable[input.byte() % kSettingTable.size()];
    std::string value;
    for (char c : input.take(input.byte() % 12))
        value += "abcXYZ019>"[static_cast<unsigned char>(c) % 10];
    const std::string before(input.rest());

    SettingsDocument file(before);
    std::string others[kSettingTable.size()];
    for (std::size_t i = 0; i < kSettingTable.size(); ++i)
        others[i] = file.text(kSettingsSection, kSettingTable[i].name, "?");
    if (!file.set(kSettingsSection, changed.name, value)) {
        if (file.bytes() != before) // a value that can't be stored leaves the file as it was
            std::abort();
        return 0;
    }
    const std::string after = file.bytes();
    if (file.text(kSettingsSection, changed.name, "?") != value)
        std::abort();
    for (std::size_t i = 0; i < kSettingTable.size(); ++i) {
        if (&kSettingTable[i] != &changed && file.text(kSettingsSection, kSettingTable[i].name, "?") != others[i])
            std::abort();
    }
    // What changed lies within one line of the old file: no break of it was touched.
    const std::u16string before16 = units(before);
    const std::u16string after16 = units(after);
    std::size_t prefix = 0;
    while (prefix < before16.size() && prefix < after16.size() && before16[prefix] == after16[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before16.size() - prefix && suffix < after16.size() - prefix
           && before16[before16.size() - 1 - suffix] == after16[after16.size() - 1 - suffix])
        ++suffix;
    if (before16.substr(prefix, before16.size() - prefix - suffix).find_first_of(u"\r\n") != std::u16string::npos)
        std::abort();

    if (!file.set(kSettingsSection, changed.name, value) || file.bytes() != after)
        std::abort();
    return 0;
}
