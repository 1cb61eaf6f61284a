#include "app/Startup.h"

#include "app/Forms.h"
#include "app/SingleInstance.h"
#include "gui/ErrorBox.h"
#include "gui/SettingsModel.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/settings/TConfigForm.h"

#include <QApplication>
#include <QIcon>
#include <QProcess>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>

namespace navrik {

namespace {

// The settings both windows share; made before them and destroyed after them.
SettingsModel* s_settings = nullptr;

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
        // A command with no Navrik running starts one that keeps running (the quoted text
        // stays on the clipboard only while its owner runs) and hands it the command.
        instance.close();
        QCoreApplication app(argc, argv);
        if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {})) {
            std::fprintf(stderr, "navrik: can't start Navrik\n");
            return 1;
        }
        return instance.send(command);
    }

    preferX11OnWayland();
    QApplication app(argc, argv);
    createWindows(app);
    instance.listen(runCommand);
    const int status = runEventLoop(app);
    instance.close();
    return status;
}

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
        guarded([] { MainForm->Exit1Click(); });
        return !MainForm->isQuitting();
    }
    return true;
}

void preferX11OnWayland()
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (wayland && x11 && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void createWindows(QApplication& app)
{
    app.setApplicationName(QStringLiteral("Navrik"));
    app.setWindowIcon(QIcon(QStringLiteral(":/navrik.xpm")));
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
