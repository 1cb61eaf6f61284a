#include "app/Startup.h"

#include "app/Forms.h"
#include "gui/ErrorBox.h"
#include "gui/SettingsModel.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/settings/TConfigForm.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>

#include <cstdlib>

namespace navrik {

namespace {

// The settings both windows share; made before them and destroyed after them.
SettingsModel* s_settings = nullptr;

} // namespace

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
