// SPDX-License-Identifier: MIT
#include "gui/SettingsModel.h"

#include "core/SettingsFile.h"

#include <utility>

namespace navrik {

SettingsModel::SettingsModel(QObject* parent)
    : QObject(parent)
{
}

Settings SettingsModel::load()
{
    const Settings stored = loadSettings(SettingsFile());
    m_values = stored.clamped();
    return stored;
}

void SettingsModel::setAutoPaste(bool on)
{
    if (m_values.autoPaste == on)
        return;
    m_values.autoPaste = on;
    emit autoPasteChanged(on);
}

void SettingsModel::setStayOnTop(bool on)
{
    if (m_values.stayOnTop == on)
        return;
    m_values.stayOnTop = on;
    emit stayOnTopChanged(on);
}

void SettingsModel::setAutoLines(bool on)
{
    m_values.autoLines = on;
}

void SettingsModel::setSmartBreaks(bool on)
{
    m_values.smartBreaks = on;
}

void SettingsModel::setCharcters(int value)
{
    m_values.charcters = value;
}

void SettingsModel::setMark(std::string bytes)
{
    m_values.mark = std::move(bytes);
}

void SettingsModel::setHotKey(std::string text)
{
    m_values.hotKey = std::move(text);
}

void SettingsModel::setFormSize(int width, int height)
{
    m_values.formWidth = width;
    m_values.formHeight = height;
}

void SettingsModel::applyFormSize()
{
    emit formSizeApplied();
}

} // namespace navrik
