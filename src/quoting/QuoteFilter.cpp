#include "quoting/QuoteFilter.h"

#include "app/Error.h"
#include "quoting/QuoteStream.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace navrik {

namespace {

constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kFlushSize = 1 << 20;

int parseWidth(const std::string& text)
{
    int value = 0;
    const char* const end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < kFilterMinWidth
        || value > kFilterMaxWidth) {
        throw Error("-w needs a whole number from " + std::to_string(kFilterMinWidth) + " to "
                    + std::to_string(kFilterMaxWidth) + ", not '" + text + "'");
    }
    return value;
}

std::string systemError()
{
    return std::strerror(errno);
}

void write(std::FILE* out, const std::string& bytes)
{
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
        throw Error("cannot write the output: " + systemError());
}

} // namespace

QuoteFilterAction parseQuoteFilterArguments(const std::vector<std::string>& arguments,
                                            QuoteOptions& options)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // The value of -m or -w: the rest of this argument (-m'> ') or the next argument.
        const auto value = [&]() -> std::string {
            if (argument.size() > 2)
                return argument.substr(2);
            if (i + 1 == arguments.size())
                throw Error("option " + argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h")
            return QuoteFilterAction::ShowHelp;
        if (argument == "--version")
            return QuoteFilterAction::ShowVersion;
        if (argument == "-W" || argument == "--no-wrap") {
            options.adjustLines = false;
        } else if (argument.starts_with("-m")) {
            options.mark = value();
        } else if (argument.starts_with("-w")) {
            options.charactersPerLine = parseWidth(value());
            options.adjustLines = true;
        } else if (argument.starts_with("-") && argument != "-") {
            throw Error("unknown option '" + argument + "' (see --help)");
        } else {
            throw Error("unexpected argument '" + argument
                        + "': the text is read from standard input (see --help)");
        }
    }
    return QuoteFilterAction::Quote;
}

std::string quoteFilterUsage()
{
    return "Usage: navrik-quote [-m MARK] [-w N | -W] < text > quoted\n"
           "Puts a quote mark in front of every line of standard input and writes the result\n"
           "to standard output. Every line keeps its own line break.\n"
           "\n"
           "  -m MARK        the quote mark (default: the one saved by Navrik, else \"> \")\n"
           "  -w N           break lines so no quoted line is wider than N columns,\n"
           "                 quote mark included; a full-width character takes two columns\n"
           "                 (N from 1 to 100000; default: Navrik's setting, else 70)\n"
           "  -W, --no-wrap  do not break lines\n"
           "      --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Without -w or -W, lines are broken when line adjustment is on in Navrik's settings.\n";
}

void runQuoteFilter(std::FILE* in, std::FILE* out, const QuoteOptions& options)
{
    QuoteStream stream(options.mark, lineBudget(options));
    std::string input(kChunkSize, '\0');
    std::size_t held = 0; // bytes at the start of input not yet quoted
    std::string output;
    output.reserve(kFlushSize + kChunkSize + kChunkSize / 4);
    for (bool endOfText = false; !endOfText;) {
        // A line longer than the buffer makes it grow; it never holds more than that line
        // and one chunk.
        if (input.size() - held < kChunkSize)
            input.resize(held + kChunkSize);
        errno = 0;
        const std::size_t got = std::fread(input.data() + held, 1, input.size() - held, in);
        if (got < input.size() - held) {
            if (std::ferror(in))
                throw Error("cannot read the input: " + systemError());
            endOfText = true;
        }
        held += got;
        const std::size_t used = stream.quote(std::string_view(input.data(), held), output, endOfText);
        std::memmove(input.data(), input.data() + used, held - used);
        held -= used;
        if (output.size() >= kFlushSize || endOfText) {
            write(out, output);
            output.clear();
        }
    }
    errno = 0;
    if (std::fflush(out) != 0)
        throw Error("cannot write the output: " + systemError());
}

} // namespace navrik
