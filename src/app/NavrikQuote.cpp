// navrik-quote: the quoting filter for terminals and editors. Reads text on standard input and
// writes it quoted on standard output, with Navrik's saved quote mark and line adjustment unless
// options say otherwise.
#include "app/ConfigLocation.h"
#include "app/Cp932.h"
#include "app/Error.h"
#include "quoting/QuoteFilter.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>

namespace {

// The quoting defaults saved by Navrik in the settings file: "String", "AutoLines" and
// "Charcters" of section "Inyou", read by the settings file's rules (quotes around a text
// dropped, 0x or $ for hexadecimal, a value that is not a number reads as the default), with the
// characters-per-line value kept in the settings dialog's range of 20 to 120. No file, or one
// that cannot be read, gives "> ", off and 70.
navrik::QuoteOptions readQuoteDefaults()
{
    navrik::QuoteOptions options;
    std::ifstream file(navrik::settingsFilePath(), std::ios::binary);
    if (!file)
        return options;

    const auto trim = [](std::string_view s, std::string_view blanks) {
        const auto first = s.find_first_not_of(blanks);
        return first == s.npos ? std::string_view() : s.substr(first, s.find_last_not_of(blanks) - first + 1);
    };
    const auto lower = [](std::string_view s) {
        std::string l(s);
        std::transform(l.begin(), l.end(), l.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return l;
    };
    std::map<std::string, std::string> values; // the first line of each key in the section
    bool inSection = false;
    for (std::string line; std::getline(file, line);) {
        const std::string_view l = trim(line, " \t\r");
        if (l.starts_with('[')) {
            inSection = l.find(']') != l.npos && lower(trim(l.substr(1, l.find(']') - 1), " \t")) == "inyou";
        } else if (const auto eq = l.find('='); inSection && eq != l.npos) {
            values.try_emplace(lower(trim(l.substr(0, eq), " \t")), l.substr(eq + 1));
        }
    }
    const auto text = [&](const std::string& key) -> std::optional<std::string> {
        const auto it = values.find(key);
        if (it == values.end())
            return std::nullopt;
        std::string_view v = trim(it->second, " \t");
        if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\''))
            v = v.substr(1, v.size() - 2);
        return std::string(v.substr(0, 1023));
    };
    const auto number = [&](const std::string& key) -> std::optional<int> {
        std::string v = text(key).value_or("");
        if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X'))
            v.replace(0, 2, "$");
        std::string_view digits = v;
        const bool hex = digits.starts_with('$');
        const bool plus = !hex && digits.starts_with('+');
        if (hex || plus)
            digits.remove_prefix(1);
        // from_chars takes a minus sign itself, but only right at the start of a decimal.
        if (digits.empty() || (digits[0] == '-' && (hex || plus)) || digits[0] == '+')
            return std::nullopt;
        long long value = 0;
        const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
        if (ec != std::errc() || ptr != digits.data() + digits.size())
            return std::nullopt;
        if (hex)
            return value > 0xFFFFFFFFLL ? std::nullopt : std::optional<int>(int(std::uint32_t(value)));
        return value < INT32_MIN || value > INT32_MAX ? std::nullopt : std::optional<int>(int(value));
    };

    if (const auto mark = text("string"))
        options.mark = navrik::cp932ToUtf8(*mark);
    options.adjustLines = number("autolines").value_or(0) != 0;
    options.charactersPerLine = std::clamp(number("charcters").value_or(70), 20, 120);
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
