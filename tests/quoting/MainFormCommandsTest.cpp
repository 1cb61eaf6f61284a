// The quote, paste and paste-and-quote commands as the main window runs them: its text buffer,
// the settings dialog's options and the application's own clipboard.
#include "app/Forms.h"
#include "app/Startup.h"
#include "mainwindow/TMainForm.h"
#include "mainwindow/ToolButton.h"
#include "quoting/TextWidth.h"
#include "settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
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
        QCOMPARE(clipboardText(), bufferText());
    }

    // The clipboard's text replaces the buffer, once, when auto paste is on or the command is
    // paste-and-quote; an empty clipboard leaves an empty buffer.
    void pasteAndQuote_data()
    {
        QTest::addColumn<bool>("autoPaste");
        QTest::addColumn<bool>("pasteFirst");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("auto paste") << true << false << "new\r\n\r\nlines\r\n" << "> new\n> \n> lines\n";
        QTest::newRow("auto paste, clipboard empty") << true << false << "" << "";
        QTest::newRow("paste and quote") << false << true << "one\ntwo" << "> one\n> two";
        QTest::newRow("paste and quote, auto paste") << true << true << "one\ntwo" << "> one\n> two";
    }

    void pasteAndQuote()
    {
        QFETCH(bool, autoPaste);
        QFETCH(bool, pasteFirst);
        QFETCH(QString, clipboard);
        QFETCH(QString, quoted);
        ConfigForm->AutoPaste->setChecked(autoPaste);
        QGuiApplication::clipboard()->setText(clipboard);
        pasteFirst ? MainForm->IconImgDblClick(MainForm->K1) : MainForm->MakeBtnClick(MainForm->MakeBtn);
        QCOMPARE(bufferText(), quoted);
    }

    // A quoted line is at most as wide as the dialog asks and breaks between characters:
    // the pieces after the marks join up to the line.
    void longJapaneseLineBreaksBetweenCharacters()
    {
        ConfigForm->AutoLines->setChecked(true);
        setLineCount(40);
        MainForm->FlagEdit->setText("＞");
        const QString line = "a" + QString("お世話になっております。😀ｶﾞ").repeated(9);
        QGuiApplication::clipboard()->setText(line + "\r\nend\r\n");
        MainForm->PasteBtnClick(MainForm->PasteBtn);
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        const QStringList quoted = bufferText().split('\n');
        QCOMPARE(quoted.mid(quoted.size() - 2), QStringList({"＞end", ""}));
        QString joined;
        for (qsizetype i = 0; i + 2 < quoted.size(); ++i) {
            const std::int64_t width = navrik::textWidth(quoted[i].toStdString());
            QVERIFY2(quoted[i].startsWith("＞") && width <= 40 && (width >= 39 || i + 3 == quoted.size()),
                     qPrintable(quoted[i]));
            joined += quoted[i].mid(1);
        }
        QCOMPARE(joined, line);
    }

    // Quoting twice quotes the quoted text; the user's undo then does not bring back a text
    // that is only partly quoted, nor anything that was never in the buffer. A run over an
    // empty buffer leaves the clipboard alone.
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
        MainForm->MailBuff->clear();
        MainForm->MakeBtnClick(MainForm->MakeBtn);
        QCOMPARE(clipboardText(), twice);
    }
};

QTEST_MAIN(MainFormCommandsTest)
#include "MainFormCommandsTest.moc"
