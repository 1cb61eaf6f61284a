// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

namespace navrik {

// Line breaks as Navrik reads text from anywhere (the clipboard, a pipe, the settings file):
// CR LF, a lone LF and a lone CR each end a line. A line's break belongs to neither its own
// content nor the next line; the empty text after a final break is not a line.

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kLf = "\n";
inline constexpr std::string_view kCr = "\r";

// One line of a text: its content and the break that ends it (empty for a last line without one).
struct TextLine {
    std::string_view content;
    std::string_view ending;
};

// Steps through the lines of a text. The next LF and the next CR are each looked up only once
// passed, so a text that uses one kind of break is not searched again and again for the other.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text);

    // Takes the next line; false at the end of the text.
    bool next(TextLine& line);

    // Where the next line starts.
    std::size_t position() const { return m_pos; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_nextLf;
    std::size_t m_nextCr;
};

// The break that starts at text[pos] ("\r\n", "\r" or "\n"), or empty when none does.
std::string_view breakAt(std::string_view text, std::size_t pos);

// The same break as one of the constants above, so it outlives the text it was read from;
// anything else reads as LF.
std::string_view lastingBreak(std::string_view ending);

// The length of the complete lines at the start of text: up to and including its last break,
// except that a CR at the very end may still be the first half of a CR LF and does not count.
// The break is looked for no further back than from (text[0, from) is known to hold none that
// counts); 0 when there is none.
std::size_t completeLinesLength(std::string_view text, std::size_t from = 0);

// The break that ends text, which ends with a complete line (LF when it ends with none).
std::string_view finalBreak(std::string_view text);

} // namespace navrik
