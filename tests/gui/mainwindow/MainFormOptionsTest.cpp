// SPDX-License-Identifier: MIT
// The submenu 追加オプション: its place in the menu and its items, the start-at-login entry it writes and
// removes, and the global shortcut switch as tolvane.ini keeps it.
#include "core/Autostart.h"
#include "gui/GlobalShortcut.h"
#include "support/ProgramWindows.h"

#include <QAction>
#include <QFile>
#include <QMenu>

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

    // The eight items keep their captions and order; the one submenu comes just above 終了 and
    // holds the three switches, each with a check mark.
    void submenuAboveExit()
    {
        QStringList captions;
        for (const QAction* item : MainForm->MainPopup->actions())
            captions << item->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("引用符の付加"), QString(), QStringLiteral("簡易エディタ不要"),
                                        QStringLiteral("オプション設定"), QStringLiteral("最上面に配置"), QString(),
                                        QStringLiteral("アイコン化"), QStringLiteral("追加オプション"),
                                        QStringLiteral("終了")}));
        QCOMPARE(MainForm->MainPopup->actions().at(7), MainForm->OptionsMenu->menuAction());
        const QList<QAction*> options{MainForm->SmartBreaks, MainForm->GlobalHotKey, MainForm->StartAtLogin};
        QCOMPARE(MainForm->OptionsMenu->actions(), options);
        for (const QAction* option : options)
            QVERIFY2(option->isCheckable(), qPrintable(option->text()));
    }

    void startAtLoginWritesAndRemovesTheEntry()
    {
        QFile entry(QString::fromStdString(navrik::autostartEntryPath().string()));
        QVERIFY(!MainForm->StartAtLogin->isChecked());
        MainForm->StartAtLogin->trigger();
        QVERIFY(MainForm->StartAtLogin->isChecked());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        entry.close();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nExec=navrik\n") && text.contains("\nType=Application\n"));
        MainForm->StartAtLogin->trigger();
        QVERIFY(!MainForm->StartAtLogin->isChecked());
        QVERIFY(!entry.exists());
    }

    // Off is saved as None; on brings back the combination that was in force.
    void globalShortcutSwitch()
    {
        QVERIFY(MainForm->GlobalHotKey->isChecked());
        MainForm->GlobalHotKey->trigger();
        QVERIFY(!MainForm->GlobalHotKey->isChecked());
        const auto saved = [] { return MainForm->FormClose(), navrik::test::settingsText(); };
        QVERIFY(saved().contains("\nHotKey=None\r\n"));
        MainForm->GlobalHotKey->trigger();
        QVERIFY(MainForm->GlobalHotKey->isChecked());
        QVERIFY(saved().contains("\nHotKey=Ctrl+Alt+Shift+Q\r\n"));
    }

    void hotKeyText()
    {
        using navrik::GlobalShortcut;
        QCOMPARE(GlobalShortcut::parse(" ctrl+alt+q "), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q));
        QCOMPARE(GlobalShortcut::parse("Meta+F9"), QKeySequence(Qt::META | Qt::Key_F9));
        for (const char* off : {"", "None", "none"}) {
            QString problem;
            QVERIFY2(GlobalShortcut::parse(off, &problem).isEmpty() && problem.isEmpty(), off);
        }
        // A key without Ctrl, Alt or Meta would be taken from every program; each refusal says why.
        const std::pair<const char*, const char*> refused[] = {
            {"Ctrl+Alt+Nokey", "not a key combination"}, {"Ctrl+A, Ctrl+B", "not a key combination"},
            {"Q", "no Ctrl, Alt or Meta"}, {"Shift+Q", "no Ctrl, Alt or Meta"}, {"F9", "no Ctrl, Alt or Meta"},
            {"Ctrl+Alt", "no key besides its modifiers"}, {"Meta+Shift", "no key besides its modifiers"}};
        for (const auto& [text, why] : refused) {
            QString problem;
            QVERIFY2(GlobalShortcut::parse(text, &problem).isEmpty() && problem.contains(why), text);
        }
    }

    // A refused combination leaves the shortcut off, and the file keeps what the user wrote.
    void refusedHotKeyKeptInTheFile()
    {
        navrik::test::writeSettings("HotKey=Shift+Q\r\n");
        MainForm->FormCreate();
        QVERIFY(!MainForm->GlobalHotKey->isChecked());
        MainForm->FormClose();
        QVERIFY(navrik::test::settingsText().contains("\nHotKey=Shift+Q\r\n"));
    }
};

QTEST_MAIN(MainFormOptionsTest)
#include "MainFormOptionsTest.moc"
