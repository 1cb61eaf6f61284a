// SPDX-License-Identifier: MIT
#pragma once

#include "core/Settings.h"

#include <QObject>
#include <QString>

#include <string>

namespace navrik {

// The settings while the program runs, shared by the main window and the settings dialog, which
// bind their controls to it (its setters, and its changed signal) instead of reaching into each
// other's controls. It is the one reader and writer of tolvane.ini: it loads every key once at
// start-up, and each window's closing has it save that window's share of the keys (kSettingTable
// says which) in one replacement of the file.
class SettingsModel : public QObject {
    Q_OBJECT

public:
    explicit SettingsModel(QObject* parent = nullptr);

    // The values in force.
    const Settings& values() const { return m_values; }
    bool flag(SettingKey key) const { return m_values.flag(key); }
    std::int32_t number(SettingKey key) const { return m_values.number(key); }
    const std::string& text(SettingKey key) const { return m_values.text(key); }

    // Reads every key from the settings file. The values in force are the stored ones moved into
    // their ranges; the stored ones are returned as they stand (the main window's first size is
    // the stored one, whatever the window-mode size allows).
    Settings load();

    // Saves the keys that the window's closing saves (Both: the dialog's, then the main
    // window's, in one replacement). Throws navrik::Error when the file can't be written; the
    // file then stays as it was.
    void save(SettingSaver window) const;

    // Each emits changed(key) when the value in force changes.
    void setFlag(SettingKey key, bool on);
    void setNumber(SettingKey key, std::int32_t value);
    void setText(SettingKey key, std::string text);

    // The quote mark as the program shows and quotes with it. The file keeps it in code page 932;
    // a mark loaded as UTF-8 that holds characters code page 932 lacks stays UTF-8; and while the
    // mark is the one loaded, the file gets back exactly the bytes it held.
    QString mark() const { return m_mark; }
    void setMark(const QString& mark);

    // The settings dialog's 最上面に配置 box toggles stay-on-top instead of setting it, and the
    // main window's item does not move the box: the two may disagree, and the dialog's closing
    // saves what its box shows.
    void setDialogStayOnTop(bool on) { m_dialogStayOnTop = on; }

    // Asks the main window to lay itself out again for its mode with the window-mode size in
    // force, even when that size has not changed. The size itself changes without effect until
    // it is applied or the mode changes.
    void applyFormSize();

signals:
    void changed(navrik::SettingKey key);
    void formSizeApplied();

private:
    Settings m_values;
    QString m_mark;
    QString m_loadedMark;          // the mark as loaded from the file,
    std::string m_loadedMarkBytes; // and as the file held it
    bool m_dialogStayOnTop = false;
};

} // namespace navrik
