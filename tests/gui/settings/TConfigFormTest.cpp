// SPDX-License-Identifier: MIT
#include "gui/mainwindow/QuoteMarkValidator.h"
#include "gui/settings/SpinButton.h"
#include "gui/settings/SpinField.h"
#include "support/ProgramWindows.h"

namespace fs = std::filesystem;
using namespace navrik;
using navrik::test::control;

namespace {

QCheckBox* box(const char* name) { return control<QCheckBox>(ConfigForm, name); }
SpinField* field(const char* name) { return control<SpinField>(ConfigForm, name); }
QAction* item(const char* name) { return control<QAction>(MainForm, name); }
QLineEdit* markField() { return control<QLineEdit>(MainForm, "FlagEdit"); }

bool saved(const std::string& line) { return test::settingsText().toStdString().find(line) != std::string::npos; }
bool onTop() { return MainForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// Runs `during` in the modal loop of the dialog opened from the main window; ends it unsaved after 5 s.
void openDialog(const std::function<void()>& during)
{
    QTimer::singleShot(5000, ConfigForm, [] { ConfigForm->done(QDialog::Rejected); });
    QTimer::singleShot(0, ConfigForm, [during] {
        QVERIFY(QTest::qWaitForWindowActive(ConfigForm));
        during();
    });
    item("K3")->trigger(); // オプション設定
}

} // namespace

class TConfigFormTest : public QObject {
    Q_OBJECT

    void start(const char* file = "")
    {
        navrik::test::writeSettings(file);
        QVERIFY(navrik::test::showWindows());
    }

private slots:
    void init() { fs::remove(navrik::settingsFilePath()); }
    void cleanup() { navrik::destroyWindows(); }

    // The boxes run their handlers as they load: the main window and its popup items follow.
    void loading()
    {
        start("AutoPaste=1\r\nAutoLines=2\r\nStayOnTop=-1\r\nCharcters=100\r\nFormWidth=450\r\nFormHeight=350\r\n");
        QVERIFY(box("AutoPaste")->isChecked() && box("AutoLines")->isChecked() && box("StayOnTop")->isChecked());
        QCOMPARE(QList<int>({field("LineCount")->Value(), field("FormX")->Value(), field("FormY")->Value()}),
                 QList<int>({100, 450, 350}));
        QVERIFY(MainForm->size() == QSize(32, 32) && item("AutoPaste")->isChecked() && onTop() && item("StayOnTop")->isChecked());
    }

    void liveUpdates()
    {
        start();
        QVERIFY(!field("LineCount")->isEnabled() && !control(ConfigForm, "SpinUD")->isEnabled()); // as loaded
        field("FormX")->setValue(600);
        MainForm->resize(400, 400);
        const auto step = [](const char* button, bool up) {
            auto* b = control<SpinButton>(ConfigForm, button);
            up ? emit b->upClicked() : emit b->downClicked();
            return MainForm->size();
        };
        // At its end the size is applied again.
        QCOMPARE(QList<QSize>({step("SpinUDX", true), step("SpinUDY", true), step("SpinUDX", false), step("SpinUDY", false)}),
                 QList<QSize>({{600, 200}, {600, 250}, {550, 250}, {550, 200}}));

        box("AutoPaste")->setChecked(true);
        QCOMPARE(step("SpinUDY", true), QSize(32, 32)); // icon mode keeps the icon
        // Stay-on-top is toggled, not set, from either side: after the popup item the box and
        // the window disagree. The window stays shown where it was.
        item("StayOnTop")->trigger();
        QVERIFY(onTop() && !box("StayOnTop")->isChecked());
        // Each window saves what it shows; the main window's closing comes last and wins.
        ConfigForm->FormClose();
        QVERIFY(saved("StayOnTop=0\r\n"));
        MainForm->FormClose();
        QVERIFY(saved("StayOnTop=1\r\n"));
        box("StayOnTop")->setChecked(true);
        QVERIFY(!onTop() && !item("StayOnTop")->isChecked() && MainForm->isVisible());
        QCOMPARE(MainForm->geometry(), QRect(200, 110, 32, 32)); // moved in when 600 wide on the 800-pixel screen
        item("AutoPaste")->trigger(); // back from the popup menu
        QVERIFY(!box("AutoPaste")->isChecked());
        QCOMPARE(MainForm->size(), QSize(550, 250));
    }

    // A close saves the typed width clamped, or shows the error box, saying why, and stays open
    // when it cannot; only OK applies the width. The next opening finds the dialog where it was left.
    void closing()
    {
        start();
        TConfigForm* f = ConfigForm;
        QString shown;
        // Tab follows the screen row by row; Escape closes and saves as the close box does.
        box("AutoLines")->setChecked(true);
        openDialog([&] {
            QCOMPARE(test::tabOrder(6), QStringList({"AutoLines", "LineCount", "AutoPaste", "FormX", "FormY", "StayOnTop", "OKBtn"}));
            QTest::keyClick(box("AutoLines"), Qt::Key_Escape);
        });
        QVERIFY(!f->isVisible() && saved("AutoLines=1\r\n"));
        openDialog([&] {
            box("AutoPaste")->setFocus();
            QTest::keyClick(box("AutoPaste"), Qt::Key_Return); // there is no default button
            QVERIFY(f->isVisible());
            f->move(10, 20);
            field("FormX")->setText("1000");
            fs::permissions(navrik::settingsFilePath(), fs::perms(0444));
            QTimer::singleShot(0, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    shown = box->text(), box->close();
            });
            QTest::keyClick(field("FormX"), Qt::Key_F4, Qt::AltModifier);
            QVERIFY(f->isVisible());
            f->activateWindow(); // the offscreen platform does not return it after the box
            QVERIFY(QTest::qWaitForWindowActive(f));
            fs::permissions(navrik::settingsFilePath(), fs::perms(0644));
            QWidget* ok = control(f, "OKBtn");
            ok->setFocus();
            QTest::keyClick(ok, Qt::Key_Return);
        });
        QCOMPARE(shown, "tolvane.ini に書き込めません（読み取り専用のファイルです）.");
        QCOMPARE(MainForm->width(), 600);
        QVERIFY(saved("FormWidth=600\r\n"));
        openDialog([&] {
            QCOMPARE(f->pos(), QPoint(10, 20));
            f->close();
        });
    }

    // A mail pasted into the quote mark field leaves its first line there, with a beep, and the
    // mark saves (with its line breaks no save could store it).
    void aPasteKeepsTheFirstLine()
    {
        start();
        QSignalSpy beeps(qobject_cast<const QuoteMarkValidator*>(markField()->validator()), &QuoteMarkValidator::linesDropped);
        for (const auto& [clip, at, mark] : {std::tuple{"山田様\r\nいつも\nHello", 2, "> 山田様"},
                                             {"\nB", 0, "> "}, {"A", 1, ">A "}}) {
            markField()->setText("> ");
            QGuiApplication::clipboard()->setText(QString::fromUtf8(clip));
            markField()->setCursorPosition(at);
            QTest::keyClick(markField(), Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(markField()->text(), QString::fromUtf8(mark));
        }
        QCOMPARE(beeps.count(), 2);
        MainForm->FormClose();
        QVERIFY(saved("String=\">A \"\r\n"));
    }

    // The quote mark goes back byte for byte while the field shows what was loaded, whether or
    // not code page 932 spells it so; bytes that are UTF-8 and not code page 932 show as UTF-8.
    void storedMarkComesBackAsItWas()
    {
        const std::pair<std::string, QString> cases[] = {
            {"\xEF\xBC\x9E ", QStringLiteral("＞ ")}, {"\x81\x84 ", QStringLiteral("＞ ")},
            {"\xED\x40", QStringLiteral("纊")}, // written as FA 5C when typed
            {"\x80\xA0\xFD\xFE\xFF", {}},     // no character of code page 932, nor UTF-8
        };
        for (const auto& [bytes, shown] : cases) {
            const std::string line = "String=\"" + bytes + "\"\r\n";
            start(line.c_str());
            const QString loaded = markField()->text();
            QVERIFY(shown.isNull() || loaded == shown);
            markField()->setText("x");
            markField()->setText(loaded);
            MainForm->FormClose();
            QVERIFY2(saved(line), line.c_str());
            markField()->setText(QStringLiteral("＞＞"));
            MainForm->FormClose();
            QVERIFY(saved("String=\"\x81\x84\x81\x84\"\r\n"));
            navrik::destroyWindows();
        }
    }
};

QTEST_MAIN(TConfigFormTest)
#include "TConfigFormTest.moc"
