// SPDX-License-Identifier: MIT
#include "core/Settings.h"

#include "core/SettingsDocument.h"
#include "core/SettingsFile.h"

#include <algorithm>

namespace navrik {

namespace {

bool isText(SettingKind kind)
{
    return kind == SettingKind::Text || kind == SettingKind::QuotedText;
}

// The value as its line holds it.
std::string storedForm(const SettingInfo& info, const Settings& values)
{
    switch (info.kind) {
    case SettingKind::Text: return values.text(info.key);
    case SettingKind::QuotedText: return '"' + values.text(info.key) + '"';
    case SettingKind::Number: return std::to_string(clampSetting(info.key, values.number(info.key)));
    case SettingKind::Flag: return values.flag(info.key) ? "1" : "0";
    }
    return {};
}

bool savesFor(const SettingInfo& info, SettingSaver saver)
{
    return (static_cast<unsigned>(info.savedBy) & static_cast<unsigned>(saver)) != 0;
}

} // namespace

Settings::Settings()
{
    for (const SettingInfo& info : kSettingTable) {
        if (isText(info.kind))
            setText(info.key, std::string(info.textDefault));
        else
            setNumber(info.key, info.numberDefault);
    }
}

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
        if (info.kind == SettingKind::Number)
            out.setNumber(info.key, clampSetting(info.key, number(info.key)));
    }
    return out;
}

Settings loadSettings(const SettingsDocument& document)
{
    Settings values;
    for (const SettingInfo& info : kSettingTable) {
        switch (info.kind) {
        case SettingKind::Text:
        case SettingKind::QuotedText:
            values.setText(info.key, document.text(kSettingsSection, info.name, info.textDefault));
            break;
        case SettingKind::Number:
            values.setNumber(info.key, document.number(kSettingsSection, info.name, info.numberDefault));
            break;
        case SettingKind::Flag:
            values.setFlag(info.key, document.flag(kSettingsSection, info.name, info.numberDefault != 0));
            break;
        }
    }
    return values;
}

Settings loadSettings(const SettingsFile& file)
{
    return loadSettings(file.load());
}

std::optional<SettingKey> writeSettings(SettingsDocument& document, std::initializer_list<SettingsShare> shares)
{
    static const Settings defaults;
    for (const SettingsShare& share : shares) {
        for (const SettingInfo& info : kSettingTable) {
            if (!savesFor(info, share.saver))
                continue;
            const std::string value = storedForm(info, share.values);
            if (info.written == SettingWrite::WhenUsed && value == storedForm(info, defaults)
                && !document.holds(kSettingsSection, info.name))
                continue;
            if (!document.set(kSettingsSection, info.name, value))
                return info.key;
        }
    }
    return std::nullopt;
}

void saveSettings(const SettingsFile& file, std::initializer_list<SettingsShare> shares)
{
    file.save([&](SettingsDocument& document) {
        const std::optional<SettingKey> unstored = writeSettings(document, shares);
        return unstored ? std::string(settingInfo(*unstored).name) : std::string();
    });
}

} // namespace navrik
