#pragma once

#include <optional>

namespace navrik {

// What a start of navrik asks for. Start alone brings a running Navrik to the front, or
// starts one.
enum class Command { Start, PasteAndQuote, Show, Quit };

// The command, or the exit status when the command line has been answered already: --help and
// --version print to standard output (0); a bad option prints one line and the usage hint to
// standard error (2). Runs before the application object exists.
struct CommandLine {
    Command command = Command::Start;
    std::optional<int> exitCode;
};

CommandLine parseCommandLine(int argc, char* argv[]);

// The word that names a command on the instance socket: "start", "paste-and-quote", "show",
// "quit"; and back (nothing for an unknown word).
const char* commandWord(Command command);
std::optional<Command> commandFromWord(const char* word);

} // namespace navrik
