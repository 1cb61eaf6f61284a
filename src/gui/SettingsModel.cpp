// SPDX-License-Identifier: MIT
#include "gui/SettingsModel.h"

#include "core/Cp932.h"
#include "core/SettingsFile.h"

#include <utility>

namespace navrik {

SettingsModel::SettingsModel(QObject* parent)
    : QObject(parent)
    , m_mark(QString::fromStdString(m_values.text(SettingKey::String)))
    , m_loadedMark(m_mark)
    , m_loadedMarkBytes(m_values.text(SettingKey::String))
{
}

Settings SettingsModel::load()
{
    const Settings stored = loadSettings(SettingsFile());
    m_values = stored.clamped();
    m_loadedMarkBytes = stored.text(SettingKey::String);
    m_loadedMark = m_mark = QString::fromStdString(storedTextToUtf8(m_loadedMarkBytes));
    m_dialogStayOnTop = m_values.flag(SettingKey::StayOnTop);
    return stored;
}

void SettingsModel::save(SettingSaver window) const
{
    Settings dialogShare = m_values;
    dialogShare.setFlag(SettingKey::StayOnTop, m_dialogStayOnTop);
    switch (window) {
    case SettingSaver::MainWindow: saveSettings(SettingsFile(), {{m_values, window}}); break;
    case SettingSaver::Dialog: saveSettings(SettingsFile(), {{dialogShare, window}}); break;
    // The main window's stay-on-top is the one in force: its share comes last.
    case SettingSaver::Both:
        saveSettings(SettingsFile(), {{dialogShare, SettingSaver::Dialog}, {m_values, SettingSaver::MainWindow}});
        break;
    }
}

void SettingsModel::setFlag(SettingKey key, bool on)
{
    if (m_values.flag(key) == on)
        return;
    m_values.setFlag(key, on);
    emit changed(key);
}

void SettingsModel::setNumber(SettingKey key, std::int32_t value)
{
    if (m_values.number(key) == value)
        return;
    m_values.setNumber(key, value);
    emit changed(key);
}

void SettingsModel::setText(SettingKey key, std::string text)
{
    if (m_values.text(key) == text)
        return;
    m_values.setText(key, std::move(text));
    emit changed(key);
}

void SettingsModel::setMark(const QString& mark)
{
    if (mark == m_mark)
        return;
    m_mark = mark;
    // Typed text only ever holds characters that code page 932 can store; a mark loaded as UTF-8
    // may hold others, and then stays UTF-8.
    if (mark == m_loadedMark)
        setText(SettingKey::String, m_loadedMarkBytes);
    else
        setText(SettingKey::String, utf8ToCp932(mark.toStdString()).value_or(mark.toStdString()));
}

void SettingsModel::applyFormSize()
{
    emit formSizeApplied();
}

} // namespace navrik
