// SPDX-License-Identifier: MIT
// An English desktop (LANGUAGE=en): English windows save what the Japanese ones do.
#include "app/Translation.h"
#include "gui/ErrorBox.h"
#include "support/ProgramWindows.h"

using navrik::test::control;

class TranslationTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { navrik::destroyWindows(); }

    void theDesktopsLanguage()
    {
        const std::pair<QStringList, bool> cases[] = {
            {{"C"}, true}, {{"ja-JP", "ja"}, true}, {{"en-US", "en"}, false}, {{"de-DE"}, false},
            {{"fr", "ja"}, true}, {{"fr", "en", "ja"}, false}};
        for (const auto& [languages, japanese] : cases)
            QVERIFY2(navrik::speaksJapanese(languages) == japanese, qPrintable(languages.join(':')));
    }

    void englishWindowsSaveAsJapaneseOnes()
    {
        std::filesystem::remove(navrik::settingsFilePath());
        QVERIFY(navrik::test::showWindows());
        QCOMPARE(QStringList({control<QAction>(MainForm, "K1")->text(), control<QAction>(MainForm, "GlobalHotKey")->text(),
                              ConfigForm->windowTitle(), control<QLineEdit>(MainForm, "FlagEdit")->text()}),
                 QStringList({"Quote the clipboard", "Global shortcut\tCtrl+Alt+Shift+Q", "Settings", "> "}));
        MainForm->FormClose();
        QCOMPARE(navrik::test::settingsText(),
                 "[Inyou]\r\nString=\"> \"\r\nFormLeft=201\r\nFormTop=110\r\nAutoPaste=0\r\nStayOnTop=0\r\n");
        std::filesystem::permissions(navrik::settingsFilePath(), std::filesystem::perms(0444));
        try {
            MainForm->FormClose();
            QFAIL("saved a read-only file");
        } catch (const std::exception& error) {
            QCOMPARE(navrik::messageOf(error), "Cannot write tolvane.ini (the file is read-only)");
        }
    }
};

QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"
