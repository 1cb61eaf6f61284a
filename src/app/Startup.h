// SPDX-License-Identifier: MIT
#pragma once

#include "app/CommandLine.h"

#include <memory>

class QApplication;

namespace navrik {

// The whole program after its command line has been read: one instance per user and display
// (the command goes to the running one, or to one started for it), the windows and the event
// loop. Returns the exit status.
int runNavrik(int argc, char* argv[], Command command);

// Asks Qt for X11 (through XWayland) inside a Wayland session unless the user chose a
// platform: the program places its windows and reads the global pointer position, which a
// Wayland session does not allow. Call before the application object exists.
void preferX11OnWayland();

// Creates the application object. When Qt cannot open the display (none is set, or it does
// not answer), prints one line on standard error and ends the program with status 1, in
// place of Qt's own messages and abort. Qt's messages from a start that works are passed on.
std::unique_ptr<QApplication> openApplication(int& argc, char** argv);

// Sets the title, the desktop entry's id and the icon, creates the main window and then the
// settings dialog, each running its creation handler, and takes over what ends the program from
// outside: a save request of the session manager saves the settings and runs on; the real end
// of the session and SIGTERM, SIGINT and SIGHUP save them and end the event loop with 0 (1 when
// the save failed).
void createWindows(QApplication& app);

// Shows the main window, runs the event loop until the quit request is taken, then hides
// and destroys the dialog and the main window without running a close handler, and hands the
// text Navrik owns on the clipboard on, so that it can still be pasted.
// Returns the exit code: 0, or 1 when the settings could not be saved at the end of the
// session or at an end signal.
int runEventLoop(QApplication& app);

// Hides and destroys both windows without running a close handler, and lets the signals and
// the session take their default effect again.
void destroyWindows();

} // namespace navrik
