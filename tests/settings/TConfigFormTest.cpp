#include "app/ConfigLocation.h"
#include "app/Forms.h"
#include "app/Startup.h"
#include "mainwindow/TMainForm.h"
#include "mainwindow/ToolButton.h"
#include "settings/TConfigForm.h"

#include <QAction>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string settings()
{
    std::ostringstream text;
    text << std::ifstream(navrik::settingsFilePath(), std::ios::binary).rdbuf();
    return text.str();
}

// Opens the dialog from the main window, runs `during` inside its modal loop and returns
// once the dialog is hidden again; a dialog still open after 5 s is ended without saving.
void openDialog(const std::function<void()>& during)
{
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { ConfigForm->done(QDialog::Rejected); });
    guard.start(5000);
    QTimer::singleShot(0, ConfigForm, [during] {
        QVERIFY(QTest::qWaitForWindowActive(ConfigForm));
        during();
    });
    MainForm->ConfigBtnClick(MainForm->ConfigBtn);
}

} // namespace

class TConfigFormTest : public QObject {
    Q_OBJECT

    void start(const char* file = nullptr)
    {
        if (file)
            std::ofstream(navrik::settingsFilePath(), std::ios::binary) << "[Inyou]\r\n" << file;
        navrik::createWindows(*qApp);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
    }

private slots:
    void init()
    {
        fs::create_directories(navrik::configDirectory());
        fs::remove(navrik::settingsFilePath());
    }

    void cleanup() { navrik::destroyWindows(); }

    // Boxes: AutoPaste, AutoLines, StayOnTop; values: LineCount, FormX, FormY.
    void loading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("values");
        QTest::newRow("no file") << QByteArray() << "000" << "70 300 200";
        QTest::newRow("flags") << QByteArray("AutoPaste=1\r\nAutoLines=2\r\nStayOnTop=-1\r\n") << "111" << "70 300 200";
        QTest::newRow("above") << QByteArray("Charcters=500\r\nFormWidth=1000\r\nFormHeight=600\r\n") << "000" << "120 600 400";
        QTest::newRow("below, words") << QByteArray("AutoPaste=yes\r\nCharcters=5\r\nFormWidth=1 0\r\nFormHeight=150\r\n")
                                      << "000" << "20 300 200";
    }

    void loading()
    {
        QFETCH(QByteArray, file);
        start(file.isNull() ? nullptr : file.constData());
        const TConfigForm* f = ConfigForm;
        const bool icon = f->AutoPaste->isChecked(), lines = f->AutoLines->isChecked(), top = f->StayOnTop->isChecked();
        QTEST(QString("%1%2%3").arg(icon).arg(lines).arg(top), "boxes");
        QTEST(QString("%1 %2 %3").arg(f->LineCount->Value()).arg(f->FormX->Value()).arg(f->FormY->Value()), "values");
        QCOMPARE(f->LineCount->isEnabled(), lines);
        QCOMPARE(f->SpinUD->isEnabled(), lines);
        // The main window and its popup items follow the loaded boxes.
        QCOMPARE(MainForm->size() == QSize(32, 32) && MainForm->AutoPaste->isChecked(), icon);
        QCOMPARE(MainForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && MainForm->StayOnTop->isChecked(), top);
    }

    void liveUpdates()
    {
        start();
        TConfigForm* f = ConfigForm;
        f->SpinUDX->OnUpClick(f->SpinUDX);
        QCOMPARE(MainForm->size(), QSize(350, 200));
        f->FormX->setValue(600);
        MainForm->resize(400, 200);
        f->SpinUDX->OnUpClick(f->SpinUDX); // at the end: the size is applied again
        QCOMPARE(MainForm->size(), QSize(600, 200));

        f->AutoPaste->setChecked(true);
        f->SpinUDY->OnUpClick(f->SpinUDY);
        QCOMPARE(MainForm->size(), QSize(32, 32));
        QVERIFY(MainForm->AutoPaste->isChecked());
        MainForm->AutoPaste->trigger(); // from the popup menu
        QVERIFY(!f->AutoPaste->isChecked());
        QCOMPARE(MainForm->size(), QSize(600, 250));

        f->SpinUD->OnDownClick(f->SpinUD); // the characters per line leave the main window alone
        QCOMPARE(f->LineCount->Value(), 69);
        QCOMPARE(MainForm->size(), QSize(600, 250));

        // Stay-on-top is toggled, not set: after the popup item the box and the window disagree.
        f->StayOnTop->setChecked(true);
        MainForm->StayOnTop->trigger();
        QVERIFY(f->StayOnTop->isChecked());
        f->StayOnTop->setChecked(false);
        QVERIFY(MainForm->StayOnTop->isChecked() && MainForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void closingSaves_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("mainWidth");
        QTest::newRow("OK clicked") << "OK clicked" << 600; // the focus left the field: clamped
        QTest::newRow("Enter on OK") << "Enter on OK" << 600;
        QTest::newRow("close box") << "close box" << 300;   // clamped and saved, not applied
        QTest::newRow("Alt+F4") << "Alt+F4" << 300;
    }

    void closingSaves()
    {
        QFETCH(QString, how);
        start();
        TConfigForm* f = ConfigForm;
        int widthAfterArrow = 0;
        openDialog([&] {
            f->FormX->setFocus();
            f->FormX->setText("450");
            QTest::keyClick(f->FormX, Qt::Key_Up);
            widthAfterArrow = MainForm->width();
            f->FormX->setText("1000");
            if (how == "OK clicked") {
                QTest::mouseClick(f->OKBtn, Qt::LeftButton);
            } else if (how == "Enter on OK") {
                f->OKBtn->setFocus(Qt::TabFocusReason);
                QTest::keyClick(f->OKBtn, Qt::Key_Return);
            } else if (how == "close box") {
                f->close();
            } else {
                QTest::keyClick(f->FormX, Qt::Key_F4, Qt::AltModifier);
            }
        });
        QCOMPARE(widthAfterArrow, 300);
        QVERIFY(!f->isVisible());
        QTEST(MainForm->width(), "mainWidth");
        QCOMPARE(f->FormX->text(), "600");
        QVERIFY(settings().find("FormWidth=600\r\n") != std::string::npos);
    }

    void keysFocusAndPlace()
    {
        start();
        TConfigForm* f = ConfigForm;
        QWidget* focus = nullptr;
        QPoint place;
        bool openAfterKeys = false;
        openDialog([&] {
            focus = QApplication::focusWidget();
            place = f->frameGeometry().topLeft();
            QTest::keyClick(f->AutoPaste, Qt::Key_Escape);
            QTest::keyClick(f->AutoPaste, Qt::Key_Return);
            openAfterKeys = f->isVisible() && !f->AutoPaste->isChecked();
            f->FormY->setFocus(Qt::TabFocusReason);
            f->move(10, 20);
            f->close();
        });
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(place, QPoint((screen.width() - 265) / 2, (screen.height() - 225) / 2));
        QCOMPARE(focus, f->AutoPaste);
        QVERIFY(openAfterKeys);
        openDialog([&] {
            focus = QApplication::focusWidget();
            place = f->pos();
            f->close();
        });
        QCOMPARE(focus, f->FormY);
        QCOMPARE(place, QPoint(10, 20));
    }

    void failedSaveKeepsTheDialogOpen()
    {
        start("");
        fs::permissions(navrik::settingsFilePath(), fs::perms(0444));
        QString shown;
        bool openAfterFailure = false;
        openDialog([&] {
            QTimer dismiss;
            QObject::connect(&dismiss, &QTimer::timeout, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    shown = box->text();
                    box->accept();
                }
            });
            dismiss.start(10);
            ConfigForm->close();
            openAfterFailure = ConfigForm->isVisible();
            fs::permissions(navrik::settingsFilePath(), fs::perms(0644));
            ConfigForm->close();
        });
        QCOMPARE(shown, "tolvane.ini に書き込めません.");
        QVERIFY(openAfterFailure && !ConfigForm->isVisible());
        QVERIFY(settings().find("FormHeight=200\r\n") != std::string::npos);
    }

    // The program's own run. A quit taken while the dialog is open saves only the main window.
    void programRun_data()
    {
        QTest::addColumn<bool>("quitWhileOpen");
        QTest::addColumn<std::string>("file");
        QTest::newRow("dialog closed, then the main window")
            << false << std::string("[Inyou]\r\nAutoPaste=0\r\nAutoLines=0\r\nStayOnTop=0\r\nCharcters=70\r\n"
                                    "FormWidth=300\r\nFormHeight=200\r\nString=\"> \"\r\nFormLeft=201\r\nFormTop=110\r\n");
        QTest::newRow("main window closed while the dialog is open")
            << true << std::string("[Inyou]\r\nString=\"> \"\r\nFormLeft=201\r\nFormTop=110\r\nAutoPaste=0\r\nStayOnTop=0\r\n");
    }

    void programRun()
    {
        QFETCH(bool, quitWhileOpen);
        navrik::createWindows(*qApp);
        QTimer::singleShot(0, [=] {
            openDialog([=] { (quitWhileOpen ? static_cast<QWidget*>(MainForm) : ConfigForm)->close(); });
            if (!quitWhileOpen)
                MainForm->close();
        });
        QCOMPARE(navrik::runEventLoop(*qApp), 0);
        QTEST(settings(), "file");
    }
};

QTEST_MAIN(TConfigFormTest)
#include "TConfigFormTest.moc"
