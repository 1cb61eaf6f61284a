// SPDX-License-Identifier: MIT
// What the windows' widget tests share: the settings file, the windows and their controls.
#pragma once

#include "app/Forms.h"
#include "app/Startup.h"
#include "core/ConfigLocation.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/settings/TConfigForm.h"

#include <QtTest>
#include <QtWidgets>

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

// The window's control of that object name; the test program stops where there is none.
template <class Control = QWidget> Control* control(const QObject* window, const char* name)
{
    Control* found = window->findChild<Control*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The focused control and the next `tabs` that Tab gives the focus to, by their names.
inline QStringList tabOrder(int tabs)
{
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < tabs; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    return order;
}

// Makes both windows and shows the main one; false when it is not exposed in time.
inline bool showWindows()
{
    createWindows(*qApp);
    MainForm->show();
    return QTest::qWaitForWindowExposed(MainForm);
}

} // namespace navrik::test
