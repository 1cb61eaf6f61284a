#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    navrik::preferX11OnWayland();
    QApplication app(argc, argv);
    navrik::createWindows(app);
    return navrik::runEventLoop(app);
}
