#pragma once

#include <QString>
#include <QStringList>

namespace navrik {

// What navrik's command line asks for.
struct CommandLine {
    enum class Action {
        Run,         // start the program
        ShowHelp,    // print `text` on standard output and exit 0
        ShowVersion, // print `text` on standard output and exit 0
        Fail,        // print `text`, one line, on standard error and exit 2
    };
    Action action = Action::Run;
    QString text;
};

// Reads the program's arguments (the program name first, as in argv). Works before any
// application object exists, so --help, --version and a wrong option need no display. Qt's
// own options (-platform, -display, -style, -session and the others the application object
// takes) are accepted and left for it.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace navrik
