#pragma once

#include "app/CommandLine.h"

class QApplication;

namespace navrik {

// The whole program after its command line has been read: one instance per user and display
// (the command goes to the running one, or to one started for it), the windows and the event
// loop. Returns the exit status.
int runNavrik(int argc, char* argv[], Command command);

// Runs a command in the running program through the main window's own handlers, inside the
// error guard: paste-and-quote as 引用符の付加, show as a second start, quit as 終了.
// Returns false once the program is ending.
bool runCommand(Command command);

// Asks Qt for X11 (through XWayland) inside a Wayland session unless the user chose a
// platform: the program places its windows and reads the global pointer position, which a
// Wayland session does not allow. Call before the application object exists.
void preferX11OnWayland();

// Sets the title and icon, installs the session-end rule, creates the main window and
// then the settings dialog, each running its creation handler.
void createWindows(QApplication& app);

// Shows the main window, runs the event loop until the quit request is taken, then hides
// and destroys the dialog and the main window without running a close handler.
// Returns the exit code, 0.
int runEventLoop(QApplication& app);

// Hides and destroys both windows without running a close handler.
void destroyWindows();

} // namespace navrik
