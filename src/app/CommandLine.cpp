#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <utility>

namespace navrik {

namespace {

struct Word {
    Command command;
    const char* word;
};

constexpr Word kWords[] = {
    {Command::Start, "start"},
    {Command::PasteAndQuote, "paste-and-quote"},
    {Command::Show, "show"},
    {Command::Quit, "quit"},
};

} // namespace

const char* commandWord(Command command)
{
    for (const Word& w : kWords) {
        if (w.command == command)
            return w.word;
    }
    return "start";
}

std::optional<Command> commandFromWord(const char* word)
{
    for (const Word& w : kWords) {
        if (std::strcmp(w.word, word) == 0)
            return w.command;
    }
    return std::nullopt;
}

CommandLine parseCommandLine(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Quotes e-mail text for replies. One Navrik runs per user and display: starting it again\n"
        "brings that one to the front, and a command goes to it (or starts Navrik to run it)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption pasteAndQuote(QStringLiteral("paste-and-quote"),
        QStringLiteral("Quote the clipboard's text and put it back on the clipboard, as 引用符の付加 "
                       "in the menu does."));
    const QCommandLineOption show(QStringLiteral("show"), QStringLiteral("Bring Navrik's window to the front."));
    const QCommandLineOption quit(QStringLiteral("quit"),
                                  QStringLiteral("Save the settings and end the running Navrik, as 終了 does."));
    parser.addOptions({help, version, pasteAndQuote, show, quit});

    const char* name = argc > 0 ? argv[0] : "navrik";
    if (const char* slash = std::strrchr(name, '/'))
        name = slash + 1;
    const auto usageError = [&](const QString& message) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name, qPrintable(message), name);
        return CommandLine{Command::Start, 2};
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        // The usage line names the program as it was started.
        QString text = parser.helpText();
        text.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")), QStringLiteral("Usage: ") + name);
        std::fputs(qPrintable(text), stdout);
        return {Command::Start, 0};
    }
    if (parser.isSet(version)) {
        std::printf("navrik %s\n", NAVRIK_VERSION);
        return {Command::Start, 0};
    }

    CommandLine out;
    int commands = 0;
    for (const auto& [option, command] : {std::pair{&pasteAndQuote, Command::PasteAndQuote},
                                          std::pair{&show, Command::Show}, std::pair{&quit, Command::Quit}}) {
        if (parser.isSet(*option)) {
            out.command = command;
            ++commands;
        }
    }
    if (commands > 1)
        return usageError(QStringLiteral("--paste-and-quote, --show and --quit go one at a time"));
    return out;
}

} // namespace navrik
