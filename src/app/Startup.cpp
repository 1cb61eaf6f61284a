#include "app/Startup.h"

#include "app/ErrorBox.h"
#include "app/Forms.h"
#include "mainwindow/TMainForm.h"
#include "settings/TConfigForm.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>

#include <cstdlib>

namespace navrik {

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

    MainForm = new TMainForm;
    guarded([] { MainForm->FormCreate(MainForm); });
    ConfigForm = new TConfigForm;
    guarded([] { ConfigForm->FormCreate(ConfigForm); });
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
}

} // namespace navrik
