// SPDX-License-Identifier: MIT
#pragma once

#include "core/LineModel.h"

#include <QString>

class QPlainTextEdit;

namespace navrik {

// The line model over the main window's text buffer, a QPlainTextEdit: each text block is a
// line, the clipboard is the desktop's. Text comes in with CR LF, a lone LF and a lone CR as
// block breaks; copying gives the platform's own line break.
//
// The text document holds every character but four, which it takes for its own block and frame
// breaks: U+2028 (which it would lay out as a new line inside a block), U+2029, U+FDD0 and
// U+FDD1. None of them ends a line for the quote command, so the buffer keeps each as an inline
// object that shows it as a small boxed mark (LS, PS, FDD0, FDD1) within its line and gives the
// character back whenever the text is read or copied.
//
// A line longer than kLongestLine characters is refused (see setText): the document lays a line
// out whole, and a line of megabytes would make every paint, scroll and keystroke in it take
// seconds with no way to show the busy pointer.
class BufferLineModel final : public LineModel {
public:
    static constexpr qsizetype kLongestLine = 100000;

    explicit BufferLineModel(QPlainTextEdit* edit);

    // Fits the edit to be the buffer, once: Shift+Enter (and Ctrl+Enter where no shortcut of the
    // window takes it) types the same line break as Enter, and the user's own copy, cut and
    // paste keys go through this model, so the characters shown as marks are copied and pasted
    // as what they are.
    static void install(QPlainTextEdit* edit);

    int lineCount() const override;
    std::optional<std::string> clipboardText() const override;
    bool replaceWithClipboard() override;
    void selectAll() override;
    void copySelection() override;
    void hide() override;
    void show() override;
    std::string text() const override;

    // As the line model's; a text with a line longer than kLongestLine characters (UTF-16 code
    // units) raises Error and changes nothing. So do replaceWithClipboard and paste.
    void setText(std::string text) override;

    // Converts the next piece on another thread while the document takes in the one before.
    bool replaceWithConvertedClipboard(const PieceConverter& convert, std::size_t growth) override;

    // The selection is replaced by the clipboard's text, as one edit the user can undo; false,
    // and nothing changed, when the clipboard offers no text.
    bool paste();

private:
    QString selectionText() const;
    // The clipboard's text in place of the selection, or of the whole text (replaceAll).
    bool insertClipboard(bool replaceAll);
    // After the whole text has been set: the caret goes to its start, and the text is kept.
    void finishSet(QString text);

    QPlainTextEdit* m_edit;
    // The text last set (by setText or from the converted clipboard), with LF breaks, while the
    // document still holds just it: copying all of it then needs no second read of the document.
    QString m_setText;
    int m_setRevision = -1;
};

} // namespace navrik
