#pragma once

#include "quoting/LineModel.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navrik {

// The text buffer held in memory, with a clipboard that is a plain string owned by the caller
// (std::nullopt: no text on the clipboard). Every line keeps its own break byte for byte.
class MemoryLineModel final : public LineModel {
public:
    explicit MemoryLineModel(std::optional<std::string>& clipboard, std::string_view text = {});

    int lineCount() const override;
    std::string readLine(int index) const override;
    void replaceLine(int index, std::string_view text) override;
    void insertLine(int index, std::string_view text) override;
    void clear() override;
    void paste() override;
    void selectAll() override;
    void copySelection() override;
    void hide() override;
    void show() override;
    std::string text() const override;
    void setText(std::string_view text) override;

    bool isVisible() const { return m_visible; }
    // Byte offsets into text(), start <= end.
    std::size_t selectionStart() const;
    std::size_t selectionEnd() const;

private:
    struct Line {
        std::string content;
        std::string_view ending; // "\r\n", "\n", "\r", or empty for a last line without one
    };

    bool names(int index) const;
    std::size_t offsetOf(int index) const;
    // Replaces bytes [from, to) of the text and reads the lines afresh, for edits that may add,
    // join or remove line breaks; the caret ends after the new bytes.
    void splice(std::size_t from, std::size_t to, std::string_view bytes);
    void load(std::string_view text);
    // The caret after a line edit is kept as a line and a column and turned into an offset only
    // when asked for, so rewriting a long text line by line does not add up its lines each time.
    void placeCaret(int line, std::size_t column);
    void resolveSelection() const;

    std::optional<std::string>& m_clipboard;
    std::vector<Line> m_lines;
    mutable std::size_t m_selectionStart = 0;
    mutable std::size_t m_selectionEnd = 0;
    mutable int m_caretLine = -1; // >= 0 while the caret is held as a line and column
    std::size_t m_caretColumn = 0;
    bool m_visible = true;
};

} // namespace navrik
