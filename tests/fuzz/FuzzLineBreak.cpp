// The line splitter against a plain reading of the rule: CR LF, a lone LF and a lone CR each end
// a line, and the empty text after a final break is no line. Also the complete-lines length.
#include "core/LineBreak.h"

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace navrik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::pair<std::string, std::string>> expected;
    std::string content;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            content += text[i];
            continue;
        }
        const std::size_t n = text.substr(i, 2) == "\r\n" ? 2 : 1;
        expected.emplace_back(std::exchange(content, {}), std::string(text.substr(i, n)));
        i += n - 1;
    }
    if (!content.empty())
        expected.emplace_back(content, "");

    LineSplitter lines(text);
    std::size_t n = 0;
    for (TextLine line; lines.next(line); ++n) {
        if (n >= expected.size() || line.content != expected[n].first || line.ending != expected[n].second)
            std::abort();
    }
    if (n != expected.size())
        std::abort();

    // Whole lines only, and a CR at the very end may still become a CR LF.
    const std::size_t complete = completeLinesLength(text);
    std::size_t reference = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((text[i] == '\n' || text[i] == '\r') && !(text[i] == '\r' && i + 1 == text.size()))
            reference = i + 1;
    }
    if (complete != reference)
        std::abort();
    return 0;
}
