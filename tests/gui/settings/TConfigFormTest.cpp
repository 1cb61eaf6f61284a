// SPDX-License-Identifier: MIT
#include "support/ProgramWindows.h"

#include <QAction>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

#include <functional>

namespace fs = std::filesystem;

namespace {

std::string settings() { return navrik::test::settingsText().toStdString(); }
bool onTop() { return MainForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// Runs `during` in the modal loop of the dialog opened from the main window; ends it unsaved after 5 s.
void openDialog(const std::function<void()>& during)
{
    QTimer::singleShot(5000, ConfigForm, [] { ConfigForm->done(QDialog::Rejected); });
    QTimer::singleShot(0, ConfigForm, [during] {
        QVERIFY(QTest::qWaitForWindowActive(ConfigForm));
        during();
    });
    MainForm->K3->trigger(); // オプション設定
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
        const TConfigForm* f = ConfigForm;
        QVERIFY(f->AutoPaste->isChecked() && f->AutoLines->isChecked() && f->StayOnTop->isChecked());
        QCOMPARE(QList<int>({f->LineCount->Value(), f->FormX->Value(), f->FormY->Value()}), QList<int>({100, 450, 350}));
        QVERIFY(MainForm->size() == QSize(32, 32) && MainForm->AutoPaste->isChecked());
        QVERIFY(onTop() && MainForm->StayOnTop->isChecked());
    }

    void liveUpdates()
    {
        start();
        TConfigForm* f = ConfigForm;
        QVERIFY(!f->LineCount->isEnabled() && !f->SpinUD->isEnabled()); // as loaded
        f->FormX->setValue(600);
        MainForm->resize(400, 400);
        const auto step = [](navrik::SpinButton* b, bool up) {
            up ? emit b->upClicked() : emit b->downClicked();
            return MainForm->size();
        };
        QCOMPARE(step(f->SpinUDX, true), QSize(600, 200)); // at its end the size is applied again
        QCOMPARE(step(f->SpinUDY, true), QSize(600, 250));
        QCOMPARE(step(f->SpinUDX, false), QSize(550, 250));
        QCOMPARE(step(f->SpinUDY, false), QSize(550, 200));

        f->AutoPaste->setChecked(true);
        QCOMPARE(step(f->SpinUDY, true), QSize(32, 32)); // icon mode keeps the icon
        // Stay-on-top is toggled, not set, from either side: after the popup item the box and
        // the window disagree. The window stays shown where it was.
        MainForm->StayOnTop->trigger();
        QVERIFY(onTop() && !f->StayOnTop->isChecked());
        f->StayOnTop->setChecked(true);
        QVERIFY(!onTop() && !MainForm->StayOnTop->isChecked() && MainForm->isVisible());
        QCOMPARE(MainForm->geometry(), QRect(201, 110, 32, 32));
        MainForm->AutoPaste->trigger(); // back from the popup menu
        QVERIFY(!f->AutoPaste->isChecked());
        QCOMPARE(MainForm->size(), QSize(550, 250));
    }

    // A close saves the typed width clamped, or shows the error box and stays open when it
    // cannot; only OK applies the width. The next opening finds the dialog where it was left.
    void closing()
    {
        start();
        TConfigForm* f = ConfigForm;
        QString shown;
        openDialog([&] {
            QTest::keyClick(f->AutoPaste, Qt::Key_Escape); // there is no cancel
            QTest::keyClick(f->AutoPaste, Qt::Key_Return); // nor a default button
            QVERIFY(f->isVisible());
            f->move(10, 20);
            f->FormX->setText("1000");
            fs::permissions(navrik::settingsFilePath(), fs::perms(0444));
            QTimer::singleShot(0, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    shown = box->text(), box->close();
            });
            QTest::keyClick(f->FormX, Qt::Key_F4, Qt::AltModifier);
            QVERIFY(f->isVisible());
            f->activateWindow(); // the offscreen platform does not return it after the box
            QVERIFY(QTest::qWaitForWindowActive(f));
            fs::permissions(navrik::settingsFilePath(), fs::perms(0644));
            f->OKBtn->setFocus();
            QTest::keyClick(f->OKBtn, Qt::Key_Return);
        });
        QCOMPARE(shown, "tolvane.ini に書き込めません.");
        QCOMPARE(MainForm->width(), 600);
        QVERIFY(settings().find("FormWidth=600\r\n") != std::string::npos);
        openDialog([&] {
            QCOMPARE(f->pos(), QPoint(10, 20));
            f->close();
        });
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
            const QString loaded = MainForm->FlagEdit->text();
            if (!shown.isNull())
                QCOMPARE(loaded, shown);
            MainForm->FlagEdit->setText("x");
            MainForm->FlagEdit->setText(loaded);
            MainForm->FormClose();
            QVERIFY2(settings().find(line) != std::string::npos, line.c_str());
            MainForm->FlagEdit->setText(QStringLiteral("＞＞"));
            MainForm->FormClose();
            QVERIFY(settings().find("String=\"\x81\x84\x81\x84\"\r\n") != std::string::npos);
            navrik::destroyWindows();
        }
    }

    // The program's own run: the dialog saves at its closing, the main window at the end.
    void programRun()
    {
        navrik::createWindows(*qApp);
        QTimer::singleShot(0, [] {
            openDialog([] { ConfigForm->close(); });
            MainForm->close();
        });
        QCOMPARE(navrik::runEventLoop(*qApp), 0);
        QCOMPARE(settings(), "[Inyou]\r\nAutoPaste=0\r\nAutoLines=0\r\nStayOnTop=0\r\nCharcters=70\r\nFormWidth=300\r\n"
                             "FormHeight=200\r\nString=\"> \"\r\nFormLeft=201\r\nFormTop=110\r\n");
    }
};

QTEST_MAIN(TConfigFormTest)
#include "TConfigFormTest.moc"
