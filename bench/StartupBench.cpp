// SPDX-License-Identifier: MIT
// Start-up to the first shown window, for bench/startup.sh: built twice, as StartupBench (Navrik's
// own start-up: settings read, both windows made, the main window shown) and as BareWindowBench
// (an empty QWidget, the least a Qt Widgets program does to show a window). Either ends as soon as
// its window has been exposed and painted once, so timing the whole process times the start-up.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <unistd.h>

#ifndef NAVRIK_BARE_WINDOW
#include "app/Forms.h"
#include "app/Startup.h"
#include "gui/mainwindow/TMainForm.h"
#endif

namespace {

// Ends the process once the window's first expose has been handled (the paint it brings
// included), without tearing anything down.
class EndAtExpose : public QObject {
public:
    explicit EndAtExpose(QWidget* window) : m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && watched == m_window->windowHandle()
            && m_window->windowHandle()->isExposed())
            QTimer::singleShot(0, [] { _exit(0); });
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

int main(int argc, char* argv[])
{
#ifdef NAVRIK_BARE_WINDOW
    QApplication app(argc, argv);
    QWidget window;
    window.resize(300, 200);
    EndAtExpose end(&window);
    app.installEventFilter(&end);
    window.show();
    return app.exec();
#else
    navrik::preferX11OnWayland();
    QApplication app(argc, argv);
    navrik::createWindows(app);
    EndAtExpose end(MainForm);
    app.installEventFilter(&end);
    return navrik::runEventLoop(app);
#endif
}
