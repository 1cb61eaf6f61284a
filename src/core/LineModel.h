#pragma once

#include <string>
#include <string_view>

namespace navrik {

// The text buffer as the quote and paste commands see it: UTF-8 text made of lines, a selection,
// and the clipboard operations. CR LF, a lone LF and a lone CR each end a line; the empty text
// after a final break is not a counted line, so an empty text has no lines and "a\n" has one.
// No operation reports an error.
class LineModel {
public:
    virtual ~LineModel() = default;

    // The number of lines, 0 or more.
    virtual int lineCount() const = 0;

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
