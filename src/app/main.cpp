// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"
#include "app/Startup.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    // The command line is read before the application object exists, so that --help,
    // --version and a wrong option answer without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const navrik::CommandLine commandLine = navrik::parseCommandLine(arguments);
    switch (commandLine.action) {
    case navrik::CommandLine::Action::ShowHelp:
    case navrik::CommandLine::Action::ShowVersion:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case navrik::CommandLine::Action::Fail:
        std::fprintf(stderr, "%s\n", commandLine.text.toLocal8Bit().constData());
        return 2;
    case navrik::CommandLine::Action::Run:
        break;
    }

    return navrik::runNavrik(argc, argv, commandLine.command);
}
