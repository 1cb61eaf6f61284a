// SPDX-License-Identifier: MIT
#pragma once

#include "core/QuoteCommand.h"

#include <string>
#include <vector>

namespace navrik {

// The command-line quoting filter, navrik-quote: reads text from files or standard input and
// writes it quoted.

// Characters per line accepted by -w. Below the mark's width is allowed: each output line then
// holds one character.
inline constexpr int kFilterMinWidth = 1;
inline constexpr int kFilterMaxWidth = 100000;

enum class QuoteFilterAction { Quote, ShowHelp, ShowVersion };

// Applies the command-line arguments (without the program name) to options, which hold the
// defaults, in order, so a later option wins, and collects the file names in files ("-" is
// standard input; "--" ends the options). Throws navrik::Error on an unknown option, a missing
// value, or a width that is not a whole number in range.
QuoteFilterAction parseQuoteFilterArguments(const std::vector<std::string>& arguments,
                                            QuoteOptions& options, std::vector<std::string>& files);

// The text shown by --help.
std::string quoteFilterUsage();

// Quotes the files in order, as one text, onto the file descriptor out (no files: standard
// input). Input is taken in chunks of whole lines, quoted on worker threads and written in
// order as it is made, so memory holds a few chunks whatever the size of the input or the
// output. A file that cannot be read is reported on standard error and skipped. Returns the exit
// status: 0, or 1 when a file could not be read or the output could not be written (a reader
// that went away ends it quietly).
int runQuoteFilter(const std::vector<std::string>& files, int out, const QuoteOptions& options);

} // namespace navrik
