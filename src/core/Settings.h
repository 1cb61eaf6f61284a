// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace navrik {

class SettingsFile;

// Every setting lives in this one section of tolvane.ini.
inline constexpr std::string_view kSettingsSection = "Inyou";

// The keys of tolvane.ini, in the order of the table below.
enum class SettingKey {
    String, FormLeft, FormTop, FormWidth, FormHeight, AutoPaste, AutoLines, StayOnTop, Charcters,
    SmartBreaks, HotKey,
};

enum class SettingKind { Text, Number, Flag };

// A whole-number range with the step of the spin field that edits it.
struct SettingRange {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int32_t step = 1;

    bool limits() const { return min < max; }
};

// One key: the word stored in the file, its kind, the value a load falls back to when the key is
// missing (a flag's default is 0 or 1), and the range its editor keeps it in (none: min == max).
struct SettingInfo {
    SettingKey key;
    std::string_view name;
    SettingKind kind;
    std::string_view textDefault;
    std::int32_t numberDefault;
    SettingRange range;
};

// "Charcters" is spelled as the file has always spelled it, so files written by earlier
// versions keep working. HotKey is the global shortcut in Qt's portable text ("Ctrl+Alt+Q"); empty
// or "None" turns it off. Its default takes Ctrl, Alt and Shift together with Q, which the
// GNOME, KDE Plasma and Xfce default key bindings leave free.
inline constexpr std::array<SettingInfo, 11> kSettingTable{{
    {SettingKey::String, "String", SettingKind::Text, "> ", 0, {}},
    {SettingKey::FormLeft, "FormLeft", SettingKind::Number, {}, 201, {}},
    {SettingKey::FormTop, "FormTop", SettingKind::Number, {}, 110, {}},
    {SettingKey::FormWidth, "FormWidth", SettingKind::Number, {}, 300, {300, 600, 50}},
    {SettingKey::FormHeight, "FormHeight", SettingKind::Number, {}, 200, {200, 400, 50}},
    {SettingKey::AutoPaste, "AutoPaste", SettingKind::Flag, {}, 0, {}},
    {SettingKey::AutoLines, "AutoLines", SettingKind::Flag, {}, 0, {}},
    {SettingKey::StayOnTop, "StayOnTop", SettingKind::Flag, {}, 0, {}},
    {SettingKey::Charcters, "Charcters", SettingKind::Number, {}, 70, {20, 120, 1}},
    // Smart breaking (SmartBreaker) when lines are broken; off keeps the default way.
    {SettingKey::SmartBreaks, "SmartBreaks", SettingKind::Flag, {}, 0, {}},
    {SettingKey::HotKey, "HotKey", SettingKind::Text, "Ctrl+Alt+Shift+Q", 0, {}},
}};

constexpr const SettingInfo& settingInfo(SettingKey key)
{
    return kSettingTable[static_cast<std::size_t>(key)];
}

// The settings that tolvane.ini keeps, each at its default until loaded or set. Values are as
// stored: the quote mark as the file's bytes (code page 932, or UTF-8 where the file held a mark
// that is not code page 932; the caller converts it), numbers unclamped.
struct Settings {
    std::string mark{settingInfo(SettingKey::String).textDefault};
    std::int32_t formLeft = settingInfo(SettingKey::FormLeft).numberDefault;
    std::int32_t formTop = settingInfo(SettingKey::FormTop).numberDefault;
    std::int32_t formWidth = settingInfo(SettingKey::FormWidth).numberDefault;
    std::int32_t formHeight = settingInfo(SettingKey::FormHeight).numberDefault;
    bool autoPaste = settingInfo(SettingKey::AutoPaste).numberDefault != 0;
    bool autoLines = settingInfo(SettingKey::AutoLines).numberDefault != 0;
    bool stayOnTop = settingInfo(SettingKey::StayOnTop).numberDefault != 0;
    std::int32_t charcters = settingInfo(SettingKey::Charcters).numberDefault;
    bool smartBreaks = settingInfo(SettingKey::SmartBreaks).numberDefault != 0;
    std::string hotKey{settingInfo(SettingKey::HotKey).textDefault};

    // The numbers that have a range, moved into it.
    Settings clamped() const;

    bool operator==(const Settings&) const = default;
};

// Every key read from the file; a missing key, or a file that can't be read, gives the default.
Settings loadSettings(const SettingsFile& file);

// Writes the given keys, in the given order, each as its own write of the file: the quote mark in
// double quotes (its blanks count), another text as it is, a number in decimal, a flag as 1 or 0.
// Throws navrik::Error when a write fails; the keys before it stay written.
void saveSettings(const SettingsFile& file, const Settings& values, std::initializer_list<SettingKey> keys);

// The value limited to the range; a key without a range keeps any value.
std::int32_t clampSetting(SettingKey key, std::int64_t value);

} // namespace navrik
