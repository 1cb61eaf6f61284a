// The quote, paste and paste-and-quote commands as the main window runs them: its text buffer,
// the settings dialog's options and the application's own clipboard.
#include "app/Forms.h"
#include "app/Startup.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/mainwindow/ToolButton.h"
#include "gui/settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

// The buffer's text as it is held, no-break spaces and all, with LF breaks.
QString bufferText()
{
    return MainForm->MailBuff->document()->toRawText().replace(QChar::ParagraphSeparator, '\n');
}

} // namespace

class MainFormCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        navrik::createWindows(*qApp);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
    }

    void cleanupTestCase() { navrik::destroyWindows(); }

    void init()
    {
        ConfigForm->AutoPaste->setChecked(false);
        ConfigForm->AutoLines->setChecked(false);
        MainForm->FlagEdit->setText("> ");
        MainForm->MailBuff->setPlainText("old text");
        QGuiApplication::clipboard()->clear();
    }

    // After every run the buffer shows again, the busy pointer is gone, the whole buffer is
    // selected and the clipboard holds it.
    void cleanup()
    {
        QPlainTextEdit* buffer = MainForm->MailBuff;
        QVERIFY(!buffer->isHidden());
        QVERIFY(!QGuiApplication::overrideCursor());
        if (buffer->document()->isEmpty())
            return;
        QCOMPARE(buffer->textCursor().selectionStart(), 0);
        QCOMPARE(buffer->textCursor().selectionEnd(), buffer->document()->characterCount() - 1);
        QCOMPARE(QGuiApplication::clipboard()->text(), bufferText());
    }

    // With auto paste on the quote command first replaces the buffer with the clipboard's text;
    // an empty clipboard leaves an empty buffer. Line adjustment off breaks no line.
    void autoPasteReplacesTheBuffer()
    {
        ConfigForm->AutoPaste->setChecked(true);
        const QString line(70, 'x');
        QGuiApplication::clipboard()->setText(line + "\r\n\r\n" + line + "\r\n");
        MainForm->MakeBtnClick();
        QCOMPARE(bufferText(), "> " + line + "\n> \n> " + line + "\n");
        QGuiApplication::clipboard()->clear();
        MainForm->MakeBtnClick();
        QCOMPARE(bufferText(), "");
    }

    // With line adjustment on the budget is the dialog's value less the mark's columns (not its
    // bytes): 18 here, filled exactly; a line breaks between characters.
    void adjustedLinesBreakBetweenCharacters()
    {
        ConfigForm->AutoLines->setChecked(true);
        ConfigForm->LineCount->setValue(20);
        MainForm->FlagEdit->setText("＞");
        QGuiApplication::clipboard()->setText("abあいうえおかきくｶ😀けこﾞ\r\nend\r\n");
        MainForm->IconImgDblClick();
        QCOMPARE(bufferText(), "＞abあいうえおかきく\n＞ｶ😀けこﾞ\n＞end\n");
    }

    // Quoting twice quotes the quoted text; the user's undo then does not bring back a text
    // that is only partly quoted, nor anything that was never in the buffer. A run over an
    // empty buffer leaves the clipboard alone.
    void quotingTwiceThenUndo()
    {
        QGuiApplication::clipboard()->setText("a\n\nb");
        MainForm->PasteBtnClick();
        MainForm->MailBuff->appendPlainText("c");
        MainForm->MakeBtnClick();
        MainForm->MakeBtnClick();
        const QString twice("> > a\n> > \n> > b\n> > c");
        QCOMPARE(bufferText(), twice);
        for (int i = 0; i < 3; ++i)
            MainForm->MailBuff->undo();
        QCOMPARE(bufferText(), twice);
        MainForm->MailBuff->clear();
        MainForm->MakeBtnClick();
        QCOMPARE(QGuiApplication::clipboard()->text(), twice);
    }

    // 禁則処理で改行, in the 追加オプション submenu, turns smart breaking on for
    // the quote command and off again: 。 then no longer starts a line.
    void smartBreaksFromTheOptionsMenu()
    {
        QVERIFY(!MainForm->SmartBreaks->isChecked());
        ConfigForm->AutoLines->setChecked(true);
        ConfigForm->LineCount->setValue(20);
        for (const bool smart : {true, false}) {
            MainForm->SmartBreaks->trigger();
            QCOMPARE(MainForm->SmartBreaks->isChecked(), smart);
            QGuiApplication::clipboard()->setText(QStringLiteral("「よろしくお願いします」と書きました。\n"));
            MainForm->IconImgDblClick();
            QCOMPARE(bufferText(), smart ? QStringLiteral("> 「よろしくお願いし\n> ます」と書きまし\n> た。\n")
                                         : QStringLiteral("> 「よろしくお願いし\n> ます」と書きました\n> 。\n"));
        }
    }
};

QTEST_MAIN(MainFormCommandsTest)
#include "MainFormCommandsTest.moc"
