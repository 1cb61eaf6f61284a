#include "app/Startup.h"

#include "app/Forms.h"
#include "gui/ErrorBox.h"
#include "gui/SettingsModel.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/settings/TConfigForm.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace navrik {

namespace {

// The settings both windows share; made before them and destroyed after them.
SettingsModel* s_settings = nullptr;

// The id of the desktop entry, the AppStream metadata and the themed icon.
constexpr auto kDesktopId = "io.github.navrik.Navrik";

// Qt's messages while the application object is being made, held until it is known
// whether the platform started.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::mutex heldMutex;
std::vector<HeldMessage>* heldMessages = nullptr;

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
        std::_Exit(1);
    }
    const std::lock_guard lock(heldMutex);
    if (heldMessages)
        heldMessages->push_back({type, QByteArray(context.category), text});
}

} // namespace

void preferX11OnWayland()
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (wayland && x11 && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
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
    // icon is the installed themed icon, or the program's own where none is installed.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    app.setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopId), QIcon(QStringLiteral(":/navrik.xpm"))));
    app.setQuitOnLastWindowClosed(false);

    // Ending the desktop session ends the program at once: the session may go ahead, no
    // close handler runs and nothing is saved.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager&) {
        QCoreApplication::exit(0);
    });

    s_settings = new SettingsModel;
    MainForm = new TMainForm(s_settings);
    guarded([] { MainForm->FormCreate(); });
    ConfigForm = new TConfigForm(s_settings);
    MainForm->setSettingsDialog(ConfigForm);
    guarded([] { ConfigForm->FormCreate(); });
}

int runEventLoop(QApplication& app)
{
    MainForm->show();
    MainForm->activateWindow();
    app.exec();
    destroyWindows();
    return 0;
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
}

} // namespace navrik
