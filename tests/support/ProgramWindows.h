// SPDX-License-Identifier: MIT
// What the widget tests of the two windows share: the program's headers, the settings file in
// the folder XDG_CONFIG_HOME names (each widget test has one of its own), making the windows and
// finding their controls.
#pragma once

#include "app/Forms.h"
#include "app/Startup.h"
#include "core/ConfigLocation.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/settings/TConfigForm.h"

#include <QApplication>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace navrik::test {

// The settings file's bytes; empty when there is none.
inline QByteArray settingsText()
{
    std::ifstream in(settingsFilePath(), std::ios::binary);
    return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
}

// Writes the settings file: the [Inyou] header, then `keys`.
inline void writeSettings(const QByteArray& keys)
{
    std::filesystem::create_directories(configDirectory());
    std::ofstream(settingsFilePath(), std::ios::binary) << "[Inyou]\r\n" << keys.toStdString();
}

// The window's control of that object name (the windows name each control after itself); the
// test program stops where there is none.
template <class Control = QWidget> Control* control(const QObject* window, const char* name)
{
    Control* found = window->findChild<Control*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Makes both windows and shows the main one; false when it was not exposed in time.
inline bool showWindows()
{
    createWindows(*qApp);
    MainForm->show();
    return QTest::qWaitForWindowExposed(MainForm);
}

} // namespace navrik::test
