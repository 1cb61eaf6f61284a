#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

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

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's options are single-dash words (-platform xcb), so every option is read that way.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Puts a quote mark before every line of the clipboard's text, for replies to e-mail.\n"
                       "See navrik(1) for the window, its menu and the settings file."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOptions({help, version});
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
    return {};
}

} // namespace navrik
