// SPDX-License-Identifier: MIT
#include "app/Startup.h"

#include "app/Forms.h"
#include "app/SignalHandling.h"
#include "app/SingleInstance.h"
#include "app/Translation.h"
#include "core/Autostart.h"
#include "gui/DesktopSession.h"
#include "gui/ErrorBox.h"
#include "gui/ProgramIcon.h"
#include "gui/SettingsModel.h"
#include "gui/SystemClipboard.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/settings/TConfigForm.h"

#include <QApplication>
#include <QIcon>
#include <QProcess>
#include <QSessionManager>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace navrik {

namespace {

// The settings both windows share; made before them and destroyed after them.
SettingsModel* s_settings = nullptr;
// What ends the program from outside, made with the windows and destroyed with them.
QObject* s_sessionWatch = nullptr;
SignalHandling* s_signals = nullptr;

// Saves the settings as closing would (FormClose): the dialog's share while it is open, then the
// main window's, in one save. Nobody may be there to read an error box, so a failure goes to
// standard error.
bool saveBothShares()
{
    try {
        if (MainForm)
            MainForm->FormClose();
        return true;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "navrik: %s\n", error.what());
        return false;
    }
}

// The session or a signal ends the program: the settings are saved, then every event loop ends
// (an open dialog's too), with 0, or 1 when the save failed.
void endProgram()
{
    QCoreApplication::exit(saveBothShares() ? 0 : 1);
}

// The platform's own request to quit comes to the application as a Quit event: on X11 the session
// manager's Die at the real end of the session. Qt would first send every window a close request,
// which a window blocked by the open dialog never gets; the settings are saved here instead.
class PlatformQuitFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != qApp || event->type() != QEvent::Quit)
            return false;
        endProgram();
        return true;
    }
};

// Runs work once the main window has been exposed and painted for the first time, so the work
// does not hold back the window; or after a second if no expose comes (a window started
// minimised is not exposed).
class AfterFirstExpose : public QObject {
public:
    AfterFirstExpose(QWidget* window, std::function<void()> work)
        : QObject(window), m_window(window), m_work(std::move(work))
    {
        qApp->installEventFilter(this);
        QTimer::singleShot(1000, this, &AfterFirstExpose::run);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && watched == m_window->windowHandle()
            && m_window->windowHandle()->isExposed())
            QTimer::singleShot(0, this, &AfterFirstExpose::run); // after the paint this expose brings
        return false;
    }

private:
    void run()
    {
        qApp->removeEventFilter(this);
        if (m_work)
            std::exchange(m_work, nullptr)();
        deleteLater();
    }

    QWidget* m_window;
    std::function<void()> m_work;
};

// Qt's messages while the application object is being made, held until it is known
// whether the platform started.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::mutex heldMutex;
std::vector<HeldMessage>* heldMessages = nullptr;
// The lock this start holds while the application object is being made: let go of (its file
// removed) should no platform start, as it is when the program ends.
SingleInstance* startingInstance = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // The only fatal message the application object gives is that no platform started.
        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray line = display.isEmpty()
            ? QByteArrayLiteral("navrik: cannot open the display: DISPLAY is not set\n")
            : "navrik: cannot open the display " + display + '\n';
        std::fputs(line.constData(), stderr);
        std::fflush(stderr);
        if (startingInstance)
            startingInstance->close();
        std::_Exit(1);
    }
    const std::lock_guard lock(heldMutex);
    if (heldMessages)
        heldMessages->push_back({type, QByteArray(context.category), text});
}

// Runs a command in the running program through the main window's own handlers, inside the
// error guard: paste-and-quote as 引用符の付加, show as a second start, quit as 終了.
// Returns false once the program is ending.
bool runCommand(Command command)
{
    if (!MainForm)
        return false;
    switch (command) {
    case Command::PasteAndQuote:
        guarded([] { MainForm->IconImgDblClick(); });
        break;
    case Command::Start:
    case Command::Show:
        guarded([] { MainForm->BringToFront(); });
        break;
    case Command::Quit:
        // As 終了: closing the main window saves the open settings dialog's share with its own.
        guarded([] { MainForm->Exit1Click(); });
        return !MainForm->isQuitting();
    }
    return true;
}

} // namespace

int runNavrik(int argc, char* argv[], Command command)
{
    SingleInstance instance;
    const SingleInstance::Role role = instance.acquire();
    if (role == SingleInstance::Role::Failed)
        return 1;
    if (role == SingleInstance::Role::Secondary) {
        QCoreApplication app(argc, argv);
        return instance.send(command == Command::Start ? Command::Show : command);
    }
    if (command == Command::Quit)
        return 0; // nothing runs that could quit
    if (command != Command::Start) {
        // A command with no Navrik running starts one that keeps running and hands it the
        // command.
        instance.close();
        QCoreApplication app(argc, argv);
        if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {})) {
            std::fprintf(stderr, "navrik: can't start Navrik\n");
            return 1;
        }
        return instance.send(command);
    }

    // Only the instance that runs the windows takes over the signals and the session's end; a
    // start that hands its command on (above) leaves them as they are.
    preferX11OnWayland();
    startingInstance = &instance;
    const std::unique_ptr<QApplication> app = openApplication(argc, argv);
    startingInstance = nullptr;
    createWindows(*app);
    instance.listen(runCommand);
    const int status = runEventLoop(*app);
    instance.close();
    return status;
}

void preferX11OnWayland()
{
    desktop::preferX11();
}

std::unique_ptr<QApplication> openApplication(int& argc, char** argv)
{
    std::vector<HeldMessage> held;
    heldMessages = &held;
    const QtMessageHandler passOn = qInstallMessageHandler(holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(passOn);
    {
        const std::lock_guard lock(heldMutex);
        heldMessages = nullptr;
    }
    for (const HeldMessage& message : held)
        passOn(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
               message.text);
    return app;
}

void createWindows(QApplication& app)
{
    app.setApplicationName(QStringLiteral("Navrik"));
    app.setApplicationVersion(QStringLiteral(NAVRIK_VERSION));
    // Desktops match the windows to the installed menu entry through this id; the window
    // icon is the installed themed icon, or the program's own where none is installed. Looking
    // the themed one up reads the icon themes' indexes, a few milliseconds: the windows start
    // with the program's own and take the themed one once the main window has been painted.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    const QIcon ownIcon = programIcon();
    app.setWindowIcon(ownIcon);
    app.setQuitOnLastWindowClosed(false);
    installTranslation();

    // The session manager asks for a save at every checkpoint and before a log-off that the user
    // may still cancel: save and run on. Only the real end of the session ends the program.
    s_sessionWatch = new PlatformQuitFilter;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, s_sessionWatch,
                     [](QSessionManager&) { saveBothShares(); });
    app.installEventFilter(s_sessionWatch);
    // SIGTERM, SIGINT and SIGHUP end the program as the session's end does.
    s_signals = new SignalHandling;
    QObject::connect(s_signals, &SignalHandling::endRequested, s_sessionWatch, [] { endProgram(); });

    s_settings = new SettingsModel;
    MainForm = new TMainForm(s_settings);
    guarded([] { MainForm->FormCreate(); });
    ConfigForm = new TConfigForm(s_settings);
    MainForm->setSettingsDialog(ConfigForm);
    guarded([] { ConfigForm->FormCreate(); });
    new AfterFirstExpose(MainForm, [ownIcon] {
        QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopEntryId), ownIcon));
    });
}

int runEventLoop(QApplication& app)
{
    MainForm->show();
    MainForm->activateWindow();
    const int code = app.exec();
    destroyWindows();
    systemClipboard().keepAtEnd();
    return code;
}

void destroyWindows()
{
    if (ConfigForm)
        ConfigForm->hide();
    if (MainForm)
        MainForm->hide();
    delete ConfigForm;
    ConfigForm = nullptr;
    delete MainForm;
    MainForm = nullptr;
    delete s_settings;
    s_settings = nullptr;
    delete s_signals;
    s_signals = nullptr;
    delete s_sessionWatch;
    s_sessionWatch = nullptr;
}

} // namespace navrik
