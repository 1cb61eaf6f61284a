#pragma once

#include "core/LineModel.h"

class QPlainTextEdit;

namespace navrik {

// The line model over the main window's text buffer, a QPlainTextEdit: each text block
// is a line, the clipboard is the desktop's. The edit turns CR LF, a lone LF and a lone CR
// into block breaks when text is pasted; copying gives the platform's own line break.
class BufferLineModel final : public LineModel {
public:
    explicit BufferLineModel(QPlainTextEdit* edit);

    int lineCount() const override;
    void clear() override;
    void paste() override;
    void selectAll() override;
    void copySelection() override;
    void hide() override;
    void show() override;
    std::string text() const override;
    void setText(std::string_view text) override;

private:
    QPlainTextEdit* m_edit;
};

} // namespace navrik
