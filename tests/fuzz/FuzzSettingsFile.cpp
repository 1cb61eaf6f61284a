// SPDX-License-Identifier: MIT
// The settings file on any bytes: a set changes only its own line (or adds it), other keys read
// as before, and setting the value it already has leaves the file as it was.
#include "core/Settings.h"
#include "core/SettingsDocument.h"

#include <algorithm>
#include <cstdlib>

using namespace navrik;


void check(bool holds) { if (!holds) std::abort(); }

// The file's units: bytes, or after a UTF-16 byte-order mark code units (an odd last byte alone).
static std::u16string units(const std::string& file)
{
    const bool big = file.starts_with("\xFE\xFF"), wide = big || file.starts_with("\xFF\xFE");
    std::u16string out;
    for (std::size_t i = 0; i < file.size(); i += wide ? 2 : 1) {
        const unsigned first = std::uint8_t(file[i]), second = i + 1 < file.size() ? std::uint8_t(file[i + 1]) : 0;
        out.push_back(char16_t(!wide || i + 1 == file.size() ? first : big ? first << 8 | second : second << 8 | first));
    }
    return out;
}


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte chooses the key, the next the value's length, then come the value and the file.
    const SettingInfo& changed = kSettingTable[size > 0 ? data[0] % kSettingTable.size() : 0];
    std::string value, before(reinterpret_cast<const char*>(data), size);
    before.erase(0, 2);
    for (const char c : before.substr(0, size > 1 ? data[1] % 12 : 0))
        value += "abcXYZ019>"[std::uint8_t(c) % 10];
    before.erase(0, value.size());

    SettingsDocument file(before);
    std::string others[kSettingTable.size()];
    for (std::size_t i = 0; i < kSettingTable.size(); ++i)
        others[i] = file.text(kSettingsSection, kSettingTable[i].name, "?");
    if (!file.set(kSettingsSection, changed.name, value)) {
        check(file.bytes() == before); // a value that can't be stored leaves the file as it was
        return 0;
    }
    const std::string after = file.bytes();
    check(file.text(kSettingsSection, changed.name, "?") == value);
    for (std::size_t i = 0; i < kSettingTable.size(); ++i)
        check(&kSettingTable[i] == &changed || file.text(kSettingsSection, kSettingTable[i].name, "?") == others[i]);
    // What changed lies within one line of the old file: no break of it was touched.
    const std::u16string old = units(before), now = units(after);
    const auto [from, nowFrom] = std::mismatch(old.begin(), old.end(), now.begin(), now.end());
    const auto to = std::mismatch(old.rbegin(), std::make_reverse_iterator(from), now.rbegin(), std::make_reverse_iterator(nowFrom)).first.base();
    check(std::none_of(from, to, [](char16_t c) { return c == u'\r' || c == u'\n'; }));
    check(file.set(kSettingsSection, changed.name, value) && file.bytes() == after);
    return 0;
}
