// SPDX-License-Identifier: MIT
#include "core/Settings.h"

#include "core/SettingsFile.h"

#include <algorithm>

namespace navrik {

namespace {

std::int32_t* number(Settings& values, SettingKey key)
{
    switch (key) {
    case SettingKey::FormLeft: return &values.formLeft;
    case SettingKey::FormTop: return &values.formTop;
    case SettingKey::FormWidth: return &values.formWidth;
    case SettingKey::FormHeight: return &values.formHeight;
    case SettingKey::Charcters: return &values.charcters;
    default: return nullptr;
    }
}

bool* flag(Settings& values, SettingKey key)
{
    switch (key) {
    case SettingKey::AutoPaste: return &values.autoPaste;
    case SettingKey::AutoLines: return &values.autoLines;
    case SettingKey::StayOnTop: return &values.stayOnTop;
    case SettingKey::SmartBreaks: return &values.smartBreaks;
    default: return nullptr;
    }
}

std::string* text(Settings& values, SettingKey key)
{
    switch (key) {
    case SettingKey::String: return &values.mark;
    case SettingKey::HotKey: return &values.hotKey;
    default: return nullptr;
    }
}

} // namespace

std::int32_t clampSetting(SettingKey key, std::int64_t value)
{
    const SettingRange range = settingInfo(key).range;
    if (range.limits())
        return std::int32_t(std::clamp<std::int64_t>(value, range.min, range.max));
    return std::int32_t(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

Settings Settings::clamped() const
{
    Settings out = *this;
    for (const SettingInfo& info : kSettingTable) {
        if (std::int32_t* value = number(out, info.key))
            *value = clampSetting(info.key, *value);
    }
    return out;
}

Settings loadSettings(const SettingsFile& file)
{
    Settings values;
    for (const SettingInfo& info : kSettingTable) {
        switch (info.kind) {
        case SettingKind::Text:
            *text(values, info.key) = file.ReadText(kSettingsSection, info.name, info.textDefault);
            break;
        case SettingKind::Number:
            *number(values, info.key) = file.ReadNumber(kSettingsSection, info.name, info.numberDefault);
            break;
        case SettingKind::Flag:
            *flag(values, info.key) = file.ReadFlag(kSettingsSection, info.name, info.numberDefault != 0);
            break;
        }
    }
    return values;
}

void saveSettings(const SettingsFile& file, const Settings& values, std::initializer_list<SettingKey> keys)
{
    Settings copy = values;
    for (SettingKey key : keys) {
        const SettingInfo& info = settingInfo(key);
        switch (info.kind) {
        case SettingKind::Text:
            if (key == SettingKey::String)
                file.WriteText(kSettingsSection, info.name, '"' + copy.mark + '"');
            else
                file.WriteText(kSettingsSection, info.name, *text(copy, key));
            break;
        case SettingKind::Number:
            file.WriteNumber(kSettingsSection, info.name, *number(copy, key));
            break;
        case SettingKind::Flag:
            file.WriteFlag(kSettingsSection, info.name, *flag(copy, key));
            break;
        }
    }
}

} // namespace navrik
