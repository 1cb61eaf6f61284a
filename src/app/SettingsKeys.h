#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace navrik {

// Every setting lives in this one section of tolvane.ini.
inline constexpr std::string_view kSettingsSection = "Inyou";

enum class SettingKind { Text, Number, Flag };

// One key of the settings file with the value its control is declared with, which is what a
// load falls back to when the key is missing. A flag's default is 0 (off) or 1 (on).
struct SettingKey {
    std::string_view name;
    SettingKind kind;
    std::string_view textDefault;
    std::int32_t numberDefault;
};

// The key names are the words stored in the file; "Charcters" is spelled as the file has
// always spelled it, so files written by earlier versions keep working.
inline constexpr SettingKey kKeyString{"String", SettingKind::Text, "> ", 0};
inline constexpr SettingKey kKeyFormLeft{"FormLeft", SettingKind::Number, {}, 201};
inline constexpr SettingKey kKeyFormTop{"FormTop", SettingKind::Number, {}, 110};
inline constexpr SettingKey kKeyFormWidth{"FormWidth", SettingKind::Number, {}, 300};
inline constexpr SettingKey kKeyFormHeight{"FormHeight", SettingKind::Number, {}, 200};
inline constexpr SettingKey kKeyAutoPaste{"AutoPaste", SettingKind::Flag, {}, 0};
inline constexpr SettingKey kKeyAutoLines{"AutoLines", SettingKind::Flag, {}, 0};
inline constexpr SettingKey kKeyStayOnTop{"StayOnTop", SettingKind::Flag, {}, 0};
inline constexpr SettingKey kKeyCharcters{"Charcters", SettingKind::Number, {}, 70};

inline constexpr std::array<SettingKey, 9> kSettingKeys{
    kKeyString,    kKeyFormLeft,  kKeyFormTop,   kKeyFormWidth, kKeyFormHeight,
    kKeyAutoPaste, kKeyAutoLines, kKeyStayOnTop, kKeyCharcters,
};

} // namespace navrik
