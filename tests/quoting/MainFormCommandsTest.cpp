// The quote, paste and paste-and-quote commands as the main window runs them: its text buffer,
// the settings dialog's options and the application's own clipboard.
#include "app/Forms.h"
#include "app/Startup.h"
#include "mainwindow/TMainForm.h"
#include "mainwindow/ToolButton.h"
#include "quoting/TextWidth.h"
#include "settings/TConfigForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QtTest>

namespace {

// The characters-per-line value, wherever the dialog keeps it.
void setLineCount(int value)
{
    ConfigForm->LineCount->setValue(value);
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

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
        setLineCount(70);
        MainForm->FlagEdit->setText("> ");
        MainForm->MailBuff->clear();
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
        QCOMPARE(clipboardText(), bufferText());
    }

    void autoPasteReplacesTheBuffer()
    {
        ConfigForm->AutoPaste->setChecked(true);
        MainForm->MailBuff->setPlainText("old text");
        QGuiApplication::clipboard()->setText("new\r\n\r\nlines\r\n");
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        QCOMPARE(bufferText(), QString("> new\n> \n> lines\n"));
    }

    void autoPasteWithoutClipboardTextEmptiesTheBuffer()
    {
        ConfigForm->AutoPaste->setChecked(true);
        MainForm->MailBuff->setPlainText("old text");
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        QCOMPARE(bufferText(), QString());
        QVERIFY(clipboardText().isEmpty());
    }

    // In icon mode the paste-and-quote command fills the buffer twice; it holds one copy.
    void pasteAndQuoteInIconMode()
    {
        ConfigForm->AutoPaste->setChecked(true);
        QGuiApplication::clipboard()->setText("one\ntwo");
        MainForm->IconImgDblClick(MainForm->K1);
        QCOMPARE(bufferText(), QString("> one\n> two"));
    }

    // A quoted line is at most 70 columns and breaks between characters: the pieces after the
    // marks join up to the line.
    void longJapaneseLineBreaksBetweenCharacters()
    {
        ConfigForm->AutoLines->setChecked(true);
        setLineCount(70);
        MainForm->FlagEdit->setText("＞");
        const QString line = "a" + QString("お世話になっております。😀ｶﾞ").repeated(9);
        QGuiApplication::clipboard()->setText(line + "\r\nend\r\n");
        MainForm->PasteBtnClick(MainForm->PasteBtn);
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        QStringList quoted = bufferText().split('\n');
        QCOMPARE(quoted.takeLast(), QString());
        QCOMPARE(quoted.takeLast(), QString("＞end"));
        QCOMPARE(quoted.size(), 4);
        QString joined;
        for (const QString& piece : quoted) {
            QVERIFY(piece.startsWith("＞"));
            const std::int64_t width = navrik::textWidth(piece.toStdString());
            QVERIFY2(width <= 70 && (width >= 69 || &piece == &quoted.last()), qPrintable(piece));
            joined += piece.mid(1);
        }
        QCOMPARE(joined, line);
    }

    // Quoting twice quotes the quoted text; the user's undo then does not bring back a text
    // that is only partly quoted, nor anything that was never in the buffer.
    void quotingTwiceThenUndo()
    {
        QGuiApplication::clipboard()->setText("a\n\nb");
        MainForm->PasteBtnClick(MainForm->PasteBtn);
        MainForm->MailBuff->appendPlainText("c");
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        const QString twice("> > a\n> > \n> > b\n> > c");
        QCOMPARE(bufferText(), twice);
        for (int i = 0; i < 3; ++i)
            MainForm->MailBuff->undo();
        QCOMPARE(bufferText(), twice);
        MainForm->MailBuff->selectAll();
    }

    // The paste button empties the buffer first; an empty quote run leaves the clipboard alone.
    void pasteThenQuoteEmptyBuffer()
    {
        MainForm->MailBuff->setPlainText("old");
        QGuiApplication::clipboard()->setText("x\u00a0y\t😀");
        MainForm->PasteBtnClick(MainForm->PasteBtn);
        QCOMPARE(bufferText(), QString("x\u00a0y\t😀"));
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        QCOMPARE(clipboardText(), QString("> x\u00a0y\t😀"));
        MainForm->MailBuff->clear();
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        QCOMPARE(clipboardText(), QString("> x\u00a0y\t😀"));
    }
};

QTEST_MAIN(MainFormCommandsTest)
#include "MainFormCommandsTest.moc"
