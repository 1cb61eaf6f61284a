#include "gui/BufferLineModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace navrik {
namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Block breaks inside a selection or document come out as U+2029; the clipboard and the
// line model want '\n'. Nothing else is touched (no-break spaces stay as they are).
QString withLineFeeds(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace

BufferLineModel::BufferLineModel(QPlainTextEdit* edit)
    : m_edit(edit)
{
}

int BufferLineModel::lineCount() const
{
    const QTextDocument* document = m_edit->document();
    int count = document->blockCount();
    if (document->lastBlock().length() <= 1) // only its end-of-block mark: the line after a final break
        --count;
    return count;
}

void BufferLineModel::clear()
{
    m_edit->clear();
}

void BufferLineModel::paste()
{
    // QPlainTextEdit::paste() first builds the text as a document of its own and then copies
    // that in; inserting the clipboard's text with the edit's own cursor gives the same text
    // and the same undo step in half the time, which a paste of megabytes notices.
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    QTextCursor cursor = m_edit->textCursor();
    cursor.insertText(text);
    m_edit->setTextCursor(cursor);
}

void BufferLineModel::selectAll()
{
    m_edit->selectAll();
}

void BufferLineModel::copySelection()
{
    const QTextCursor cursor = m_edit->textCursor();
    if (!cursor.hasSelection())
        return;
    // The whole text, as the quote command copies it, comes out of the document several times
    // faster than the same text taken as a selection.
    const QTextDocument* document = m_edit->document();
    const bool all = cursor.selectionStart() == 0 && cursor.selectionEnd() == document->characterCount() - 1;
    QGuiApplication::clipboard()->setText(withLineFeeds(all ? document->toRawText() : cursor.selectedText()));
}

void BufferLineModel::hide()
{
    m_edit->hide();
}

void BufferLineModel::show()
{
    m_edit->show();
}

std::string BufferLineModel::text() const
{
    return withLineFeeds(m_edit->document()->toRawText()).toStdString();
}

void BufferLineModel::setText(std::string_view text)
{
    // The document's own setPlainText() drops the old text at once, outside the undo history
    // (which it empties); removing it as a selection takes it apart piece by piece.
    QTextDocument* document = m_edit->document();
    document->setPlainText(fromUtf8(text));
    m_edit->setTextCursor(QTextCursor(document));
}

} // namespace navrik
