#include "cli/QuoteFilter.h"

#include "core/Error.h"
#include "core/LineBreak.h"
#include "core/QuoteStream.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <array>
#include <future>
#include <memory>

namespace navrik {

namespace {

constexpr std::size_t kChunkSize = 1 << 20;
constexpr std::size_t kChunksInFlight = 4;

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
        } else if (argument == "-s" || argument == "--smart") {
            options.smartBreaks = true;
        } else if (argument == "-S" || argument == "--no-smart") {
            options.smartBreaks = false;
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
    return "Usage: navrik-quote [-m MARK] [-w N | -W] [-s | -S] < text > quoted\n"
           "Puts a quote mark in front of every line of standard input and writes the result\n"
           "to standard output. Every line keeps its own line break.\n"
           "\n"
           "  -m MARK        the quote mark (default: the one saved by Navrik, else \"> \")\n"
           "  -w N           break lines so no quoted line is wider than N columns,\n"
           "                 quote mark included; a full-width character takes two columns\n"
           "                 (N from 1 to 100000; default: Navrik's setting, else 70)\n"
           "  -W, --no-wrap  do not break lines\n"
           "  -s, --smart    break where a reader expects: between words, by the Japanese\n"
           "                 line-breaking rules (no line starts with 。 or 」, none ends with\n"
           "                 「), never inside a link, keeping a line's own quote marks (\">\")\n"
           "                 on its continuations (default: Navrik's setting, else off)\n"
           "  -S, --no-smart break at the width, whole characters kept\n"
           "      --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Without -w or -W, lines are broken when line adjustment is on in Navrik's settings.\n";
}

void runQuoteFilter(std::FILE* in, std::FILE* out, const QuoteOptions& options)
{
    // The text is cut into chunks of whole lines, quoted on worker threads, and written in
    // input order. A chunk starts at the start of a line, so it quotes alone once it knows
    // the break of the line before it. The chunks' buffers are reused round the ring, so
    // memory holds a few chunks and the longest line, and is not touched afresh each time.
    struct Chunk {
        std::unique_ptr<char[]> buffer; // not zeroed: every byte used is read into it first
        std::size_t capacity = 0;
        std::string_view text;
        std::string quoted;
        std::future<void> done;
    };
    std::array<Chunk, kChunksInFlight> ring;
    const std::int64_t budget = lineBudget(options);
    std::string rest; // the start of a line whose break has not been read yet
    std::string_view previousEnding = "\n";
    std::size_t next = 0;
    const auto finish = [&](Chunk& chunk) {
        if (!chunk.done.valid())
            return;
        chunk.done.get();
        write(out, chunk.quoted);
    };
    for (bool endOfText = false; !endOfText;) {
        Chunk& chunk = ring[next];
        finish(chunk);
        if (chunk.capacity < rest.size() + kChunkSize) {
            chunk.capacity = rest.size() + kChunkSize;
            chunk.buffer.reset(new char[chunk.capacity]);
        }
        std::copy(rest.begin(), rest.end(), chunk.buffer.get());
        errno = 0;
        const std::size_t got = std::fread(chunk.buffer.get() + rest.size(), 1, kChunkSize, in);
        if (got < kChunkSize) {
            if (std::ferror(in))
                throw Error("cannot read the input: " + systemError());
            endOfText = true;
        }
        const std::string_view text(chunk.buffer.get(), rest.size() + got);
        const std::size_t complete = endOfText ? text.size() : completeLinesLength(text);
        rest.assign(text.substr(complete));
        if (complete == 0 && !endOfText)
            continue; // a line longer than a chunk: read on
        chunk.text = text.substr(0, complete);
        // Every chunk is quoted to its end: it ends with a complete line (a CR at its end is
        // known to be a lone one) or it is the end of the text.
        chunk.done = std::async(std::launch::async, [&chunk, &options, budget, previousEnding] {
            chunk.quoted.clear();
            chunk.quoted.reserve(chunk.text.size() + chunk.text.size() / 4 + options.mark.size() + 16);
            QuoteStream(options.mark, budget, previousEnding,
                        options.smartBreaks ? BreakStyle::Smart : BreakStyle::Columns)
                .quote(chunk.text, chunk.quoted);
        });
        if (!endOfText)
            previousEnding = finalBreak(chunk.text);
        next = (next + 1) % ring.size();
    }
    for (std::size_t i = 0; i < ring.size(); ++i)
        finish(ring[(next + i) % ring.size()]);
    errno = 0;
    if (std::fflush(out) != 0)
        throw Error("cannot write the output: " + systemError());
}

} // namespace navrik
