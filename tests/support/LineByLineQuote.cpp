// SPDX-License-Identifier: MIT
#include "support/LineByLineQuote.h"

#include "core/TextWidth.h"

namespace navrik {

std::string quoteLineByLine(std::string_view text, std::string_view mark, std::int64_t budget)
{
    std::string out, previousEnding = "\n";
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        const std::size_t next = end + (end == text.size() ? 0 : text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        std::string_view line = text.substr(pos, end - pos);
        const std::string_view ending = text.substr(end, next - end);
        const std::string_view pieceEnding = ending.empty() ? std::string_view(previousEnding) : ending;
        for (std::size_t head; (head = splitLength(line, budget)) < line.size(); line.remove_prefix(head))
            ((out += mark) += line.substr(0, head)) += pieceEnding;
        ((out += mark) += line) += ending;
        previousEnding = ending;
        pos = next;
    }
    return out;
}

} // namespace navrik
