// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstring>
#include <utility>

namespace navrik {

namespace {

// The options the application object reads itself, on every platform and on X11. They are
// hidden from --help; `takesValue` says whether the next argument belongs to the option.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},  {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true}, {"qwindowicon", true},
    {"geometry", true},  {"title", true},   {"icon", true},     {"display", true},
    {"name", true},      {"session", true}, {"style", true},    {"stylesheet", true},
    {"reverse", false},  {"widgetcount", false}, {"nograb", false}, {"dograb", false},
};

QString failure(const QCommandLineParser& parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        return QStringLiteral("navrik: unknown option %1%2 (navrik --help lists the options)")
            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    return QStringLiteral("navrik: ") + parser.errorText();
}

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

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's options are single-dash words (-platform xcb), so every option is read that way.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Puts a quote mark before every line of the clipboard's text, for replies to e-mail.\n"
                       "One Navrik runs per user and display: starting it again brings that one to the\n"
                       "front, and a command goes to it (or starts Navrik to run it).\n"
                       "See navrik(1) for the window, its menu and the settings file."));
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
    for (const QtOption& qtOption : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qtOption.name), QString(),
                                  qtOption.takesValue ? QStringLiteral("value") : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments))
        return {CommandLine::Action::Fail, failure(parser)};
    if (parser.isSet(help)) {
        // Without an application object the parser cannot know the program's name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("navrik"));
        return {CommandLine::Action::ShowHelp, text};
    }
    if (parser.isSet(version))
        return {CommandLine::Action::ShowVersion, QStringLiteral("navrik " NAVRIK_VERSION "\n")};
    if (!parser.positionalArguments().isEmpty())
        return {CommandLine::Action::Fail,
                QStringLiteral("navrik: unexpected argument %1 (navrik takes options only)")
                    .arg(parser.positionalArguments().first())};

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
        return {CommandLine::Action::Fail,
                QStringLiteral("navrik: --paste-and-quote, --show and --quit go one at a time")};
    return out;
}

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

} // namespace navrik
