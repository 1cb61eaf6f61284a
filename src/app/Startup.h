#pragma once

#include <memory>

class QApplication;

namespace navrik {

// Asks Qt for X11 (through XWayland) inside a Wayland session unless the user chose a
// platform: the program places its windows and reads the global pointer position, which a
// Wayland session does not allow. Call before the application object exists.
void preferX11OnWayland();

// Creates the application object. When Qt cannot open the display (none is set, or it does
// not answer), prints one line on standard error and ends the program with status 1, in
// place of Qt's own messages and abort. Qt's messages from a start that works are passed on.
std::unique_ptr<QApplication> openApplication(int& argc, char** argv);

// Sets the title, the desktop entry's id and the icon, installs the session-end rule, creates the main window and
// then the settings dialog, each running its creation handler.
void createWindows(QApplication& app);

// Shows the main window, runs the event loop until the quit request is taken, then hides
// and destroys the dialog and the main window without running a close handler.
// Returns the exit code, 0.
int runEventLoop(QApplication& app);

// Hides and destroys both windows without running a close handler.
void destroyWindows();

} // namespace navrik
