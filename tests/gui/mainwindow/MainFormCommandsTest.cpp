// SPDX-License-Identifier: MIT
// The quote, paste and paste-and-quote commands as the main window runs them.
#include "gui/BufferLineModel.h"
#include "gui/settings/SpinField.h"
#include "support/ProgramWindows.h"

using navrik::test::control;

namespace {

QPlainTextEdit* buffer() { return control<QPlainTextEdit>(MainForm, "MailBuff"); }
QCheckBox* box(const char* name) { return control<QCheckBox>(ConfigForm, name); }

// The buffer's text as the quote command reads it, no-break spaces and all, with LF breaks.
QString bufferText() { return QString::fromStdString(navrik::BufferLineModel(buffer()).text()); }

} // namespace

class MainFormCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(navrik::test::showWindows()); }
    void cleanupTestCase() { navrik::destroyWindows(); }

    void init()
    {
        box("AutoPaste")->setChecked(false);
        box("AutoLines")->setChecked(false);
        control<QLineEdit>(MainForm, "FlagEdit")->setText("> ");
        buffer()->setPlainText("old text");
        QGuiApplication::clipboard()->clear();
    }

    // After every run the buffer shows again, the busy pointer is gone, the whole buffer is
    // selected and the clipboard holds it.
    void cleanup()
    {
        QVERIFY(!buffer()->isHidden());
        QVERIFY(!QGuiApplication::overrideCursor());
        if (buffer()->document()->isEmpty())
            return;
        QCOMPARE(buffer()->textCursor().selectionStart(), 0);
        QCOMPARE(buffer()->textCursor().selectionEnd(), buffer()->document()->characterCount() - 1);
        QCOMPARE(QGuiApplication::clipboard()->text(), bufferText());
    }

    // Auto paste replaces the buffer with the clipboard, leaving nothing to undo; a clipboard
    // without text leaves the buffer and the clipboard as they were, for the paste button too.
    void autoPasteReplacesTheBuffer()
    {
        box("AutoPaste")->setChecked(true);
        const QString line(70, 'x');
        QGuiApplication::clipboard()->setText(line + "\r\n\r" + line + "\n");
        MainForm->MakeBtnClick();
        const QString quoted = "> " + line + "\n> \n> " + line + "\n";
        QCOMPARE(bufferText(), quoted);
        QVERIFY(!buffer()->document()->isUndoAvailable());
        auto* image = new QMimeData;
        image->setData("image/png", QByteArray("\x89PNG\r\n", 6));
        QGuiApplication::clipboard()->setMimeData(image);
        MainForm->IconImgDblClick();
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        QGuiApplication::clipboard()->setText("");
        MainForm->PasteBtnClick();
        QCOMPARE(bufferText(), quoted);
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        buffer()->clear();
    }

    // A command shows the busy pointer while it works, and the window keeps handling its events
    // (repainting) meanwhile.
    void busyPointerWhileWorking()
    {
        QGuiApplication::clipboard()->setText("a\nb\n");
        bool busy = false; // a timer that is due at once fires during the command, not after it
        QObject during;
        QTimer::singleShot(0, &during, [&] { busy = QGuiApplication::overrideCursor() != nullptr; });
        MainForm->IconImgDblClick();
        QVERIFY(busy);
        QCOMPARE(bufferText(), "> a\n> b\n");
    }

    // Every command from the keyboard, in Tab order; Ctrl+Enter quotes the buffer as it stands.
    void keyboardOnly()
    {
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        control(MainForm, "FlagEdit")->setFocus();
        QCOMPARE(navrik::test::tabOrder(4), QStringList({"FlagEdit", "MakeBtn", "PasteBtn", "ConfigBtn", "MailBuff"}));
        QGuiApplication::clipboard()->setText("mail\nsignature");
        QTest::keyClick(buffer(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(bufferText(), "mail\nsignature");
        QTest::keyClick(buffer(), Qt::Key_Backspace, Qt::ControlModifier); // trimmed by the keys
        QTest::keyClick(buffer(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(bufferText(), "> mail\n");
        QWidget* make = control(MainForm, "MakeBtn");
        for (auto key : {Qt::Key_Space, Qt::Key_Return}) {
            make->setFocus(Qt::TabFocusReason);
            QTest::keyClick(make, key);
            QTRY_VERIFY(bufferText().startsWith(key == Qt::Key_Space ? "> > mail" : "> > > mail"));
        }
        QVERIFY(make->toolTip().contains("Ctrl+Enter"));
        QVERIFY(control(MainForm, "PasteBtn")->toolTip().contains("Ctrl+Shift+V"));
    }

    // Shift+Enter and Ctrl+Shift+Enter type Enter's line break; pasted characters that the document
    // takes for breaks stay inside their line, and copying gives them back.
    void breaksThroughTheKeys()
    {
        QPlainTextEdit* buffer = ::buffer();
        buffer->clear();
        QGuiApplication::clipboard()->setText("x\u2029y\ufdd0z\u2028");
        for (auto [typed, key, modifiers] : {std::tuple{"a", Qt::Key_Return, QFlags(Qt::ShiftModifier)},
                                             {"b", Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier},
                                             {"c", Qt::Key_Enter, Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier},
                                             {"", Qt::Key_V, QFlags(Qt::ControlModifier)}}) {
            QTest::keyClicks(buffer, typed);
            QTest::keyClick(buffer, key, modifiers);
        }
        QTest::keyClicks(buffer, "!");
        QCOMPARE(buffer->document()->blockCount(), 4);
        QTest::keyClick(buffer, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(buffer, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "a\nb\nc\nx\u2029y\ufdd0z\u2028!");
        MainForm->MakeBtnClick();
        QCOMPARE(bufferText(), "> a\n> b\n> c\n> x\u2029y\ufdd0z\u2028!");
    }

    // Quoting twice quotes the quoted text; the user's undo then does not bring back a text
    // that is only partly quoted, nor anything that was never in the buffer.
    void quotingTwiceThenUndo()
    {
        QGuiApplication::clipboard()->setText("a\n\nb");
        MainForm->PasteBtnClick();
        buffer()->appendPlainText("c");
        MainForm->MakeBtnClick();
        MainForm->MakeBtnClick();
        for (int i = 0; i < 3; ++i)
            buffer()->undo();
        QCOMPARE(bufferText(), "> > a\n> > \n> > b\n> > c");
    }

    // Line adjustment: the dialog's value less the mark's columns, filled exactly. 禁則処理で改行
    // turns smart breaking on and off again.
    void adjustedLinesAndSmartBreaks()
    {
        box("AutoLines")->setChecked(true);
        control<navrik::SpinField>(ConfigForm, "LineCount")->setValue(20);
        control<QLineEdit>(MainForm, "FlagEdit")->setText("＞");
        QGuiApplication::clipboard()->setText("abあいうえおかきくｶ😀けこﾞ\r\nend\r\n");
        MainForm->IconImgDblClick();
        QCOMPARE(bufferText(), "＞abあいうえおかきく\n＞ｶ😀けこﾞ\n＞end\n");
        auto* smartBreaks = control<QAction>(MainForm, "SmartBreaks");
        for (const bool smart : {true, false}) {
            smartBreaks->trigger();
            QCOMPARE(smartBreaks->isChecked(), smart);
            QGuiApplication::clipboard()->setText(QStringLiteral("「よろしくお願いします」と書きました。\n"));
            MainForm->IconImgDblClick();
            QCOMPARE(bufferText(), smart ? QStringLiteral("＞「よろしくお願いし\n＞ます」と書きまし\n＞た。\n")
                                         : QStringLiteral("＞「よろしくお願いし\n＞ます」と書きました\n＞。\n"));
        }
        // 段落を再整形 joins a paragraph's soft-wrapped lines first, and breaks smartly.
        auto* reflow = control<QAction>(MainForm, "Reflow");
        reflow->trigger();
        QGuiApplication::clipboard()->setText(QStringLiteral("いつもお世話になっております。先日の見積\n"
                                                             "書の件につきまして、社内で検討いたしまし\n"
                                                             "た結果、以下の条件でご提案いたします。\n"));
        MainForm->IconImgDblClick();
        QCOMPARE(bufferText(), QStringLiteral("＞いつもお世話になっ\n＞ております。先日の\n＞見積書の件につきま\n"
                                              "＞して、社内で検討い\n＞たしました結果、以\n＞下の条件でご提案い\n＞たします。\n"));
        reflow->trigger();
    }
};

QTEST_MAIN(MainFormCommandsTest)
#include "MainFormCommandsTest.moc"
