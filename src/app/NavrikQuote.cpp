// navrik-quote: the quoting filter for terminals and editors. Reads text on standard input and
// writes it quoted on standard output, with Navrik's saved quote mark and line adjustment unless
// options say otherwise.
#include "app/Cp932.h"
#include "app/Error.h"
#include "app/SettingsFile.h"
#include "app/SettingsKeys.h"
#include "quoting/QuoteFilter.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace {

// The quoting defaults saved by Navrik in its settings file, with the characters-per-line
// value kept in the settings dialog's range of 20 to 120. No file, or one that cannot be
// read, gives "> ", off and 70.
navrik::QuoteOptions readQuoteDefaults()
{
    navrik::QuoteOptions options;
    const navrik::SettingsFile file;
    const auto section = navrik::kSettingsSection;
    // The default mark is plain ASCII, the same bytes in code page 932 and in UTF-8.
    options.mark = navrik::cp932ToUtf8(file.ReadText(section, navrik::kKeyString.name, options.mark));
    options.adjustLines = file.ReadFlag(section, navrik::kKeyAutoLines.name, false);
    options.charactersPerLine = std::clamp(
        file.ReadNumber(section, navrik::kKeyCharcters.name, options.charactersPerLine), 20, 120);
    return options;
}

// Exit statuses: 0 done, 1 the input or output failed, 2 the command line is wrong.
int fail(const std::string& message, int status)
{
    std::cerr << "navrik-quote: " << message << '\n';
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    // A closed pipe shows as a failed write, reported like any other.
    std::signal(SIGPIPE, SIG_IGN);
    navrik::QuoteOptions options = readQuoteDefaults();
    navrik::QuoteFilterAction action;
    try {
        action = navrik::parseQuoteFilterArguments(std::vector<std::string>(argv + 1, argv + argc), options);
    } catch (const navrik::Error& error) {
        return fail(error.what(), 2);
    }
    try {
        switch (action) {
        case navrik::QuoteFilterAction::ShowHelp:
            std::cout << navrik::quoteFilterUsage() << std::flush;
            break;
        case navrik::QuoteFilterAction::ShowVersion:
            std::cout << "navrik-quote " NAVRIK_VERSION "\n" << std::flush;
            break;
        case navrik::QuoteFilterAction::Quote:
            navrik::runQuoteFilter(stdin, stdout, options);
            return 0;
        }
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
    return std::cout ? 0 : fail("cannot write the output", 1);
}
