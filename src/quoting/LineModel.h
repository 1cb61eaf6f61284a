#pragma once

#include <string>
#include <string_view>

namespace navrik {

// The text buffer as the quote and paste commands see it: UTF-8 text made of numbered lines
// (from 0), a selection, and the clipboard operations. CR LF, a lone LF and a lone CR each end a
// line; a line's break belongs to neither line. The empty text after a final break is not a
// counted line, so an empty text has no lines and "a\n" has one.
//
// An index that names no line (negative, or not below lineCount()) makes readLine() return an
// empty string and replaceLine() and insertLine() do nothing. No operation reports an error.
class LineModel {
public:
    virtual ~LineModel() = default;

    // The number of lines, 0 or more.
    virtual int lineCount() const = 0;

    // The whole text of line index, without its line break.
    virtual std::string readLine(int index) const = 0;

    // Line index's text (not its break) becomes text. The caret moves to the end of text.
    virtual void replaceLine(int index, std::string_view text) = 0;

    // Puts text, followed by a line break, at the start of line index, so text becomes line index
    // and the old line moves down by one. The break written is the old line's own; for the last
    // line, which may have none, the break of the line before it (LF when there is none). The
    // caret moves to just after the new break.
    virtual void insertLine(int index, std::string_view text) = 0;

    // The text becomes empty.
    virtual void clear() = 0;

    // The selection is replaced by the clipboard's text; a clipboard without text changes
    // nothing.
    virtual void paste() = 0;

    // The selection becomes the whole text.
    virtual void selectAll() = 0;

    // The selected text is put on the clipboard. An empty selection leaves the clipboard alone.
    virtual void copySelection() = 0;

    // The buffer disappears from or reappears on the window; text, selection and every
    // operation stay the same while it is hidden.
    virtual void hide() = 0;
    virtual void show() = 0;

    // The whole text, every line break as the buffer holds it.
    virtual std::string text() const = 0;

    // Replaces the whole text in one edit, outside the undo history; the selection becomes an
    // empty caret at the start. The quote command rewrites the buffer through this once instead
    // of line by line, which gives the same text far faster on a widget.
    virtual void setText(std::string_view text) = 0;
};

} // namespace navrik
