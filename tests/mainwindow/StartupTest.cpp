#include "app/Error.h"
#include "app/ErrorBox.h"
#include "app/Forms.h"
#include "app/Startup.h"
#include "mainwindow/TMainForm.h"
#include "mainwindow/ToolButton.h"
#include "settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Runs the program's event loop with `step` queued as its first event. Returns the exit
// code, or -1 when the loop was still running after 10 s.
int runProgram(const std::function<void()>& step)
{
    navrik::createWindows(*qApp);
    QTimer::singleShot(0, qApp, step);
    bool stuck = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, qApp, [&] { stuck = true; QCoreApplication::exit(); });
    watchdog.start(10000);
    const int code = navrik::runEventLoop(*qApp);
    return stuck ? -1 : code;
}

// Waits for the next modal window, hands it to `check` and closes it with its OK button.
void answerModal(const std::function<void(QMessageBox*)>& check)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, check] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            check(box);
            box->button(QMessageBox::Ok)->click();
        }
    });
    poll->start(20);
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void init() { qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); }

    void showsOnlyTheMainWindowAndEndsWithZero_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close") << "close";
        QTest::newRow("Exit1") << "Exit1";
        QTest::newRow("Alt+F4 in FlagEdit") << "Alt+F4";
        QTest::newRow("while the dialog is open") << "dialog";
    }

    void showsOnlyTheMainWindowAndEndsWithZero()
    {
        QFETCH(QString, how);
        bool checked = false;
        const int code = runProgram([&] {
            QVERIFY(QTest::qWaitForWindowActive(MainForm));
            QCOMPARE(MainForm->geometry(), QRect(201, 110, 300, 200));
            QCOMPARE(QApplication::focusWidget(), MainForm->FlagEdit);
            QVERIFY(!ConfigForm->isVisible());
            checked = true;
            if (how == "close") {
                MainForm->close();
            } else if (how == "Exit1") {
                MainForm->Exit1->trigger();
            } else if (how == "Alt+F4") {
                QTest::keyClick(MainForm->FlagEdit, Qt::Key_F4, Qt::AltModifier);
            } else {
                QTimer::singleShot(100, MainForm, [] {
                    QVERIFY(ConfigForm->isVisible());
                    QVERIFY(!MainForm->isEnabled() || QApplication::activeModalWidget() == ConfigForm);
                    MainForm->close();
                });
                MainForm->ConfigBtnClick(MainForm->ConfigBtn);
            }
        });
        QVERIFY(checked);
        QCOMPARE(code, 0);
        QVERIFY(!MainForm && !ConfigForm);
    }

    void errorInHandlerIsShownAndProgramGoesOn()
    {
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        bool rest = false;
        bool ranOn = false;
        const int code = runProgram([&] {
            answerModal([&](QMessageBox* box) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                buttons = box->buttons().size();
            });
            QVERIFY(!navrik::guarded([&] {
                throw navrik::Error("tolvane.ini に書き込めません");
                rest = true;
            }));
            QTimer::singleShot(0, MainForm, [&] { ranOn = MainForm->isVisible(); MainForm->close(); });
        });
        QCOMPARE(code, 0);
        QCOMPARE(text, "tolvane.ini に書き込めません.");
        QCOMPARE(title, "Navrik");
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, 1);
        QVERIFY(!rest);
        QVERIFY(ranOn);
    }
};

QTEST_MAIN(TestStartup)
#include "StartupTest.moc"
