// SPDX-License-Identifier: MIT
// The submenu 追加オプション: the start-at-login entry and the global shortcut switch.
#include "core/Autostart.h"
#include "gui/GlobalShortcut.h"
#include "support/ProgramWindows.h"

#include <cstdio>

#include <unistd.h>

using navrik::test::control;

namespace {

QAction* item(const char* name) { return control<QAction>(MainForm, name); }

// What the program writes on standard error while `run` runs.
QByteArray standardError(const std::function<void()>& run)
{
    QTemporaryFile file;
    file.open();
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    run();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO), ::close(saved);
    return file.seek(0), file.readAll();
}

} // namespace

class MainFormOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QFile::remove(QString::fromStdString(navrik::autostartEntryPath().string()));
        std::filesystem::remove(navrik::settingsFilePath());
        navrik::createWindows(*qApp);
    }

    void cleanupTestCase() { navrik::destroyWindows(); }

    // What the entry holds is AutostartTest's.
    void startAtLoginWritesAndRemovesTheEntry()
    {
        for (const bool on : {true, false}) {
            QCOMPARE(item("StartAtLogin")->isChecked(), !on);
            item("StartAtLogin")->trigger();
            QCOMPARE(item("StartAtLogin")->isChecked(), on);
            QCOMPARE(navrik::autostartEnabled(), on);
        }
    }

    // Off is saved as None; on brings back the combination that was in force, which the item
    // shows either way.
    void globalShortcutSwitch()
    {
        for (const bool on : {false, true}) {
            QCOMPARE(item("GlobalHotKey")->isChecked(), !on);
            item("GlobalHotKey")->trigger();
            QCOMPARE(item("GlobalHotKey")->text(), "グローバルホットキー\tCtrl+Alt+Shift+Q");
            MainForm->FormClose();
            QVERIFY(navrik::test::settingsText().contains(on ? "\nHotKey=Ctrl+Alt+Shift+Q\r\n" : "\nHotKey=None\r\n"));
        }
        QVERIFY(item("GlobalHotKey")->isChecked());
    }

    void hotKeyText()
    {
        // Off, or refused saying why: a key without Ctrl, Alt or Meta would be taken from every program.
        const std::pair<const char*, const char*> refused[] = {
            {"", ""}, {"None", ""}, {"none", ""}, {"Ctrl+Alt+Nokey", "not a key combination"},
            {"Ctrl+A, Ctrl+B", "not a key combination"}, {"Shift+Q", "no Ctrl, Alt or Meta"},
            {"F9", "no Ctrl, Alt or Meta"}, {"Meta+Shift", "no key besides its modifiers"}};
        for (const auto& [text, why] : refused) {
            QString problem;
            const bool off = navrik::GlobalShortcut::parse(text, &problem).isEmpty();
            QVERIFY2(off && (*why ? problem.contains(why) : problem.isEmpty()), text);
        }
    }

    // A refused combination is reported on one line and leaves the shortcut off, and the file
    // keeps what the user wrote.
    void refusedHotKeyKeptInTheFile()
    {
        navrik::test::writeSettings("HotKey=Shift+Q\r\n");
        const QByteArray said = standardError([] { MainForm->FormCreate(); });
        QVERIFY2(said.startsWith("navrik: HotKey=Shift+Q in tolvane.ini ") && said.count('\n') == 1, said.constData());
        QVERIFY(!item("GlobalHotKey")->isChecked());
        MainForm->FormClose();
        QVERIFY(navrik::test::settingsText().contains("\nHotKey=Shift+Q\r\n"));
    }
};

QTEST_MAIN(MainFormOptionsTest)
#include "MainFormOptionsTest.moc"
