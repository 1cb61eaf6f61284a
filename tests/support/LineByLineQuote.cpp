#include "support/LineByLineQuote.h"

#include "core/TextWidth.h"

#include <vector>

namespace navrik {

std::string quoteLineByLine(std::string_view text, std::string_view mark, std::int64_t budget)
{
    struct Line {
        std::string content;
        std::string ending;
    };
    std::vector<Line> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        std::size_t next = end;
        if (next < text.size())
            next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({std::string(text.substr(pos, end - pos)), std::string(text.substr(end, next - end))});
        pos = next;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = lines[i].content;
        const std::size_t head = splitLength(line, budget);
        if (head < line.size()) {
            std::string ending = lines[i].ending;
            if (ending.empty())
                ending = i > 0 ? lines[i - 1].ending : "\n";
            lines[i].content = line.substr(head);
            lines.insert(lines.begin() + std::ptrdiff_t(i), {std::string(mark) + line.substr(0, head), ending});
        } else {
            lines[i].content = std::string(mark) + line;
        }
    }
    std::string out;
    for (const Line& line : lines)
        out += line.content + line.ending;
    return out;
}

} // namespace navrik
