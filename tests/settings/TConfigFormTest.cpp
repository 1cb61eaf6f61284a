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
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;
using navrik::SpinButton;
using Close = std::function<void(TConfigForm*)>;
Q_DECLARE_METATYPE(Close)

namespace {

std::string settings()
{
    std::ifstream in(navrik::settingsFilePath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool onTop() { return MainForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// Opens the dialog from the main window and runs `during` in its modal loop; returns once the
// dialog is hidden. One still open after 5 s (a failed check, a refused close) ends unsaved.
void openDialog(const std::function<void()>& during)
{
    QTimer::singleShot(5000, ConfigForm, [] { ConfigForm->done(QDialog::Rejected); });
    QTimer::singleShot(0, ConfigForm, [during] {
        QVERIFY(QTest::qWaitForWindowActive(ConfigForm));
        during();
    });
    MainForm->ConfigBtnClick(MainForm->ConfigBtn);
}

} // namespace

class TConfigFormTest : public QObject {
    Q_OBJECT

    void start(const char* file = "")
    {
        std::ofstream(navrik::settingsFilePath(), std::ios::binary) << "[Inyou]\r\n" << file;
        navrik::createWindows(*qApp);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
    }

private slots:
    void initTestCase() { fs::create_directories(navrik::configDirectory()); }
    void init() { fs::remove(navrik::settingsFilePath()); }

    void cleanup() { navrik::destroyWindows(); }

    // Expected: the AutoPaste, AutoLines and StayOnTop boxes, then LineCount, FormX, FormY.
    void loading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("flags") << QByteArray("AutoPaste=1\r\nAutoLines=2\r\nStayOnTop=-1\r\n") << "111 70 300 200";
        QTest::newRow("above") << QByteArray("Charcters=500\r\nFormWidth=1000\r\nFormHeight=600\r\n") << "000 120 600 400";
        QTest::newRow("below, words")
            << QByteArray("AutoPaste=yes\r\nCharcters=5\r\nFormWidth=1 0\r\nFormHeight=150\r\n") << "000 20 300 200";
    }

    void loading()
    {
        QFETCH(QByteArray, file);
        start(file.constData());
        const TConfigForm* f = ConfigForm;
        const bool icon = f->AutoPaste->isChecked(), lines = f->AutoLines->isChecked(), top = f->StayOnTop->isChecked();
        QTEST(QString("%1%2%3 %4 %5 %6").arg(icon).arg(lines).arg(top).arg(f->LineCount->Value())
                  .arg(f->FormX->Value()).arg(f->FormY->Value()), "expected");
        QVERIFY(f->LineCount->isEnabled() == lines && f->SpinUD->isEnabled() == lines);
        // The boxes ran their handlers: the main window and its popup items follow them.
        QCOMPARE(MainForm->size() == QSize(32, 32) && MainForm->AutoPaste->isChecked(), icon);
        QCOMPARE(onTop() && MainForm->StayOnTop->isChecked(), top);
    }

    void liveUpdates()
    {
        start();
        TConfigForm* f = ConfigForm;
        f->FormX->setValue(600);
        MainForm->resize(400, 400);
        const auto step = [](SpinButton* b, bool up) { (up ? b->OnUpClick : b->OnDownClick)(b); return MainForm->size(); };
        QCOMPARE(step(f->SpinUDX, true), QSize(600, 200)); // at its end the size is applied again
        QCOMPARE(step(f->SpinUDY, true), QSize(600, 250));
        QCOMPARE(step(f->SpinUDX, false), QSize(550, 250));
        QCOMPARE(step(f->SpinUDY, false), QSize(550, 200));

        f->AutoPaste->setChecked(true);
        QCOMPARE(step(f->SpinUDY, true), QSize(32, 32)); // icon mode keeps the icon
        QVERIFY(MainForm->AutoPaste->isChecked());
        MainForm->AutoPaste->trigger(); // from the popup menu
        QVERIFY(!f->AutoPaste->isChecked());
        QCOMPARE(MainForm->size(), QSize(550, 250));

        // Stay-on-top is toggled, not set: after the popup item the box and the window disagree.
        f->StayOnTop->setChecked(true);
        MainForm->StayOnTop->trigger();
        QVERIFY(f->StayOnTop->isChecked());
        f->StayOnTop->setChecked(false);
        QVERIFY(MainForm->StayOnTop->isChecked() && onTop());
    }

    // Every way of closing saves the typed width clamped, or shows the error box and stays
    // open when it cannot; only OK applies the width.
    void closing_data()
    {
        QTest::addColumn<Close>("close");
        QTest::addColumn<int>("mainWidth");
        QTest::newRow("OK clicked") << Close([](TConfigForm* f) { QTest::mouseClick(f->OKBtn, Qt::LeftButton); }) << 600;
        QTest::newRow("Enter on OK") << Close([](TConfigForm* f) {
            f->OKBtn->setFocus();
            QTest::keyClick(f->OKBtn, Qt::Key_Return);
        }) << 600;
        QTest::newRow("close box") << Close([](TConfigForm* f) { f->close(); }) << 300;
        QTest::newRow("Alt+F4") << Close([](TConfigForm* f) { QTest::keyClick(f->FormX, Qt::Key_F4, Qt::AltModifier); }) << 300;
    }

    void closing()
    {
        QFETCH(Close, close);
        start();
        TConfigForm* f = ConfigForm;
        QString shown;
        openDialog([&] {
            QCOMPARE(QApplication::focusWidget(), f->AutoPaste);
            QTest::keyClick(f->AutoPaste, Qt::Key_Escape); // there is no cancel
            QTest::keyClick(f->AutoPaste, Qt::Key_Return); // nor a default button
            QVERIFY(f->isVisible());
            f->move(10, 20);
            f->FormX->setFocus();
            f->FormX->setText("450");
            QTest::keyClick(f->FormX, Qt::Key_Up);
            QCOMPARE(MainForm->width(), 300); // the arrow keys step the field only
            f->FormX->setText("1000");
            fs::permissions(navrik::settingsFilePath(), fs::perms(0444));
            QTimer::singleShot(0, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    shown = box->text();
                    box->close();
                }
            });
            close(f);
            QVERIFY(f->isVisible());
            f->activateWindow(); // the offscreen platform does not return it after the box
            QVERIFY(QTest::qWaitForWindowActive(f));
            fs::permissions(navrik::settingsFilePath(), fs::perms(0644));
            close(f);
        });
        QCOMPARE(shown, "tolvane.ini に書き込めません.");
        QTEST(MainForm->width(), "mainWidth");
        QVERIFY(settings().find("FormWidth=600\r\n") != std::string::npos);
        // The next opening finds the dialog where it was left, the focus where it was.
        QWidget* last = f->focusWidget();
        QVERIFY(last != f->AutoPaste);
        openDialog([&] {
            QCOMPARE(QApplication::focusWidget(), last);
            QCOMPARE(f->pos(), QPoint(10, 20));
            f->close();
        });
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
