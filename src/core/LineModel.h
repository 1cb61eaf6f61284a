// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace navrik {

// The text buffer as the quote and paste commands see it: UTF-8 text made of lines, a selection,
// and the clipboard operations. CR LF, a lone LF and a lone CR each end a line; the empty text
// after a final break is not a counted line, so an empty text has no lines and "a\n" has one.
// Every other character, U+2028 and U+2029 included, is part of a line. A buffer that cannot take
// a text (a line too long for it to show) raises Error from replaceWithClipboard or setText and
// changes nothing; no other operation reports an error.
class LineModel {
public:
    virtual ~LineModel() = default;

    // The number of lines, 0 or more.
    virtual int lineCount() const = 0;

    // The clipboard's text, or nothing when it offers none: no text at all, an empty one, or an
    // owner that went away before handing it over.
    virtual std::optional<std::string> clipboardText() const = 0;

    // When the clipboard offers text, the whole text becomes it as one edit (the undo history
    // starts again with it) and the caret follows it; otherwise nothing changes and the result
    // is false.
    virtual bool replaceWithClipboard() = 0;

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

    // Replaces the whole text in one edit, outside the undo history (which starts empty again);
    // the selection becomes an empty caret at the start. The quote command rewrites the buffer
    // through this once instead of line by line, which gives the same text far faster on a
    // widget.
    // The text is taken over, so a buffer may let go of it as soon as it holds its own copy.
    virtual void setText(std::string text) = 0;

    // Turns a piece of text into what the buffer is to hold for it. A piece ends after a line
    // feed, or at the end of the whole text (then last is true); previousEnding is the break of
    // the line before it ("\n" before the first). What a call gives back is put after what the
    // calls before it gave: a converter may hold the end of a piece back for the next call.
    using PieceConverter
        = std::function<std::string(std::string_view piece, std::string_view previousEnding, bool last)>;

    // When the clipboard offers text, the whole text becomes that text converted, as setText
    // would make it, and the result is true; otherwise nothing changes and the result is false.
    // convert is called on the clipboard's text piece by piece, in order, one call at a time,
    // possibly on another thread; no line it gives back may be longer than the line it comes
    // from plus `growth` characters. This ends as converting the whole text and setting it
    // would (a line too long for the buffer included); a buffer may convert the next piece
    // while it takes in the one before.
    virtual bool replaceWithConvertedClipboard(const PieceConverter& convert, std::size_t growth)
    {
        (void)growth;
        std::optional<std::string> text = clipboardText();
        if (!text)
            return false;
        std::string converted = convert(*text, "\n", true);
        text.reset();
        setText(std::move(converted));
        return true;
    }
};

} // namespace navrik
