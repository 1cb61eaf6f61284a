// SPDX-License-Identifier: MIT
#include "support/ProgramWindows.h"

#include <csignal>

using navrik::test::control;

namespace {

// Runs the program's event loop with `step` queued as its first event. Returns the exit
// code, or -1 when the loop was still running after 10 s.
int runProgram(const std::function<void()>& step)
{
    navrik::createWindows(*qApp);
    QTimer::singleShot(0, qApp, step);
    QObject watchdog;
    bool stuck = false;
    QTimer::singleShot(10000, &watchdog, [&] { stuck = true; QCoreApplication::exit(); });
    const int code = navrik::runEventLoop(*qApp);
    return stuck ? -1 : code;
}

void (*disposition(int signalNumber))(int)
{
    struct sigaction current = {};
    return sigaction(signalNumber, nullptr, &current), current.sa_handler;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8()); }

    // A close that can't save shows the error box and keeps the program; the next close ends it
    // with 0 all the same, its box saying that nothing was saved.
    void aFailedSaveEndsTheProgramAtTheNextClose()
    {
        const QString file = m_config.filePath("tolvane.ini");
        QFile(file).open(QIODevice::WriteOnly), QFile::setPermissions(file, QFile::ReadOwner);
        QStringList boxes;
        bool stayed = false;
        const int code = runProgram([&] {
            auto* poll = new QTimer(MainForm);
            QObject::connect(poll, &QTimer::timeout, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    boxes << box->text(), box->button(QMessageBox::Ok)->click();
            });
            poll->start(20);
            MainForm->close();
            stayed = MainForm->isVisible();
            MainForm->close();
        });
        QFile::remove(file);
        QCOMPARE(code, 0);
        QVERIFY(stayed);
        const QString why = QStringLiteral("tolvane.ini に書き込めません（読み取り専用のファイルです）");
        QCOMPARE(boxes, QStringList({why + '.', why + QStringLiteral("。設定を保存しないで終了します.")}));
    }

    // An end signal saves, the open dialog's share too, and ends with 0; from then on a second one
    // ends the program at once, and one ignored at the start stays ignored.
    void anEndSignalSavesAndEnds()
    {
        std::signal(SIGHUP, SIG_IGN);
        const int code = runProgram([&] {
            QTimer::singleShot(100, MainForm, [&] {
                control<QCheckBox>(ConfigForm, "AutoLines")->setChecked(true);
                std::raise(SIGHUP);
                std::raise(SIGINT);
                for (int other : {SIGTERM, SIGINT, SIGHUP})
                    QVERIFY(disposition(other) == (other == SIGHUP ? SIG_IGN : SIG_DFL));
            });
            control<QAction>(MainForm, "K3")->trigger();
        });
        std::signal(SIGHUP, SIG_DFL);
        QCOMPARE(code, 0);
        const QByteArray saved = navrik::test::settingsText();
        QVERIFY2(saved.contains("AutoLines=1\r\n") && saved.contains("FormTop=110\r\n"), saved.constData());
    }
};

QTEST_MAIN(TestStartup)
#include "StartupTest.moc"
