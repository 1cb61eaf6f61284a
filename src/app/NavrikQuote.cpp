// SPDX-License-Identifier: MIT
// navrik-quote: the quoting filter for terminals and editors. Reads text from files or standard
// input and writes it quoted on standard output, with Navrik's saved quote mark, line
// adjustment, smart breaking and re-flow unless options say otherwise.
#include "cli/QuoteFilter.h"
#include "core/Cp932.h"
#include "core/Error.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace {

// The quoting defaults saved by Navrik in its settings file, with the characters-per-line
// value kept in the settings dialog's range. No file, or one that cannot be read, gives the
// settings' defaults: "> ", off and 70.
navrik::QuoteOptions readQuoteDefaults()
{
    using Key = navrik::SettingKey;
    const navrik::Settings settings = navrik::loadSettings(navrik::SettingsFile()).clamped();
    navrik::QuoteOptions options;
    // Read as the main window reads it: code page 932, or UTF-8 where that is what it holds.
    options.mark = navrik::storedTextToUtf8(settings.text(Key::String));
    options.adjustLines = settings.flag(Key::AutoLines);
    options.charactersPerLine = settings.number(Key::Charcters);
    options.smartBreaks = settings.flag(Key::SmartBreaks);
    options.reflow = settings.flag(Key::Reflow);
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
    // SIGPIPE keeps the disposition it came with: by default a reader that goes away ends
    // navrik-quote at once and quietly, as it ends cat; where it is ignored, the failed write
    // ends it quietly with status 1.
    navrik::QuoteOptions options = readQuoteDefaults();
    std::vector<std::string> files;
    navrik::QuoteFilterAction action;
    try {
        action = navrik::parseQuoteFilterArguments(std::vector<std::string>(argv + 1, argv + argc), options, files);
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
            return navrik::runQuoteFilter(files, STDOUT_FILENO, options);
        }
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
    return std::cout ? 0 : fail("cannot write the output", 1);
}
