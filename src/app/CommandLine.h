// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace navrik {

// A command for the running Navrik. Start alone brings a running Navrik to the front, or
// starts one.
enum class Command { Start, PasteAndQuote, Show, Quit };

// What navrik's command line asks for.
struct CommandLine {
    enum class Action {
        Run,         // start the program, or hand `command` to the one that runs
        ShowHelp,    // print `text` on standard output and exit 0
        ShowVersion, // print `text` on standard output and exit 0
        Fail,        // print `text`, one line, on standard error and exit 2
    };
    Action action = Action::Run;
    QString text;
    Command command = Command::Start;
};

// Reads the program's arguments (the program name first, as in argv). Works before any
// application object exists, so --help, --version and a wrong option need no display. Qt's
// own options (-platform, -display, -style, -session and the others the application object
// takes) are accepted and left for it.
CommandLine parseCommandLine(const QStringList& arguments);

// The word that names a command on the instance socket: "start", "paste-and-quote", "show",
// "quit"; and back (nothing for an unknown word).
const char* commandWord(Command command);
std::optional<Command> commandFromWord(const char* word);

} // namespace navrik
