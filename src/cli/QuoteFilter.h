#pragma once

#include "core/QuoteCommand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace navrik {

// The command-line quoting filter, navrik-quote: reads text on its input and writes it quoted.

// Characters per line accepted by -w. Below the mark's width is allowed: each output line then
// holds one character.
inline constexpr int kFilterMinWidth = 1;
inline constexpr int kFilterMaxWidth = 100000;

enum class QuoteFilterAction { Quote, ShowHelp, ShowVersion };

// Applies the command-line arguments (without the program name) to options, which hold the
// defaults, in order, so a later option wins. Throws navrik::Error on an unknown option, a
// missing value, a stray argument, or a width that is not a whole number in range.
QuoteFilterAction parseQuoteFilterArguments(const std::vector<std::string>& arguments,
                                            QuoteOptions& options);

// The text shown by --help.
std::string quoteFilterUsage();

// Quotes everything read from in onto out, a chunk of whole lines at a time, on worker threads,
// holding a few chunks and the longest line in memory. Throws navrik::Error when reading or
// writing fails.
void runQuoteFilter(std::FILE* in, std::FILE* out, const QuoteOptions& options);

} // namespace navrik
