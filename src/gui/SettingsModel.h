// SPDX-License-Identifier: MIT
#pragma once

#include "core/Settings.h"

#include <QObject>

namespace navrik {

// The settings while the program runs, shared by the main window and the settings dialog, which
// observe it through its signals instead of reaching into each other's controls. Each window
// loads and saves its own share of the keys; the values here are the ones in force.
class SettingsModel : public QObject {
    Q_OBJECT

public:
    explicit SettingsModel(QObject* parent = nullptr);

    const Settings& values() const { return m_values; }

    // Reads every key from the settings file. The values in force are the stored ones moved into
    // their ranges; the stored ones are returned as they stand (the main window's first size is
    // the stored one, whatever the window-mode size allows).
    Settings load();

    // Icon mode, which also makes every quote paste first.
    void setAutoPaste(bool on);
    void setStayOnTop(bool on);
    void setAutoLines(bool on);
    // Smart breaking of long lines (the main window's 禁則処理で改行).
    void setSmartBreaks(bool on);
    void setCharcters(int value);
    // The quote mark's bytes as the file keeps them: code page 932, or UTF-8 where a mark loaded
    // as UTF-8 holds characters code page 932 lacks.
    void setMark(std::string bytes);
    // The global shortcut as tolvane.ini keeps it; the main window grabs it.
    void setHotKey(std::string text);

    // The window-mode size as the settings dialog's fields hold it, changed without a signal: it
    // takes effect when the dialog applies it (applyFormSize) or the mode changes.
    void setFormSize(int width, int height);
    // Asks the main window to lay itself out again for its mode with the window-mode size in
    // force, even when that size has not changed.
    void applyFormSize();

signals:
    void autoPasteChanged(bool on);
    void stayOnTopChanged(bool on);
    void formSizeApplied();

private:
    Settings m_values;
};

} // namespace navrik
