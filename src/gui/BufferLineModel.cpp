// SPDX-License-Identifier: MIT
#include "gui/BufferLineModel.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>

#include <algorithm>
#include <functional>
#include <future>
#include <semaphore>
#include <vector>

#include "core/Error.h"
#include "gui/CommandScope.h"
#include "gui/ErrorBox.h"
#include "gui/SystemClipboard.h"

namespace navrik {
namespace {

// A character the document cannot hold as itself is held as an inline object of this type,
// the character's code in the property below.
constexpr int kHeldCharacter = QTextFormat::UserObject + 1;
constexpr int kHeldCode = QTextFormat::UserProperty + 1;

bool isHeld(char16_t c)
{
    return c == 0x2028 || c == 0x2029 || c == 0xfdd0 || c == 0xfdd1;
}

bool holdsAny(const QString& text)
{
    // No early exit: the compiler turns this loop into vector compares.
    bool any = false;
    for (const QChar c : text)
        any |= char16_t(c.unicode() - 0x2028) < 2 || char16_t(c.unicode() - 0xfdd0) < 2;
    return any;
}

// Whether no line of text is longer than limit, CR LF, a lone LF and a lone CR each ending a line.
bool linesFit(QStringView text, qsizetype limit)
{
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = text.size();
        if (end - from > limit) {
            // Only so long a stretch needs looking at for lone CRs.
            qsizetype lineStart = from;
            for (qsizetype cr = text.indexOf(QLatin1Char('\r'), from); cr >= 0 && cr < end;
                 cr = text.indexOf(QLatin1Char('\r'), cr + 1)) {
                if (cr - lineStart > limit)
                    break;
                lineStart = cr + 1;
            }
            if (end - lineStart > limit)
                return false;
        }
        from = end + 1;
    }
    return true;
}

// Refuses a text with a line longer than the buffer takes, before anything changes.
void checkLineLengths(const QString& text)
{
    if (!linesFit(text, BufferLineModel::kLongestLine))
        throw Error(NAVRIK_MESSAGE("1 行が %1 文字を超えるテキストはバッファに入れられません"),
                    {std::to_string(BufferLineModel::kLongestLine)});
}

// Draws a held character as a box round its short name, inside its line.
class HeldCharacterMark : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* document, int, const QTextFormat& format) override
    {
        const QFontMetricsF metrics(document->defaultFont());
        return {metrics.horizontalAdvance(name(format)) + 4, metrics.height()};
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                    const QTextFormat& format) override
    {
        painter->save();
        painter->setFont(document->defaultFont());
        painter->drawRect(rect.adjusted(0.5, 1.5, -0.5, -0.5));
        painter->drawText(rect, Qt::AlignCenter, name(format));
        painter->restore();
    }

private:
    static QString name(const QTextFormat& format)
    {
        switch (format.intProperty(kHeldCode)) {
        case 0x2028: return QStringLiteral("LS");
        case 0x2029: return QStringLiteral("PS");
        default: return QString::number(format.intProperty(kHeldCode), 16).toUpper();
        }
    }
};

// Inserts text at the cursor, each held character as its object.
void insertHolding(QTextCursor& cursor, const QString& text)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (!isHeld(c))
            continue;
        if (i > from)
            cursor.insertText(text.sliced(from, i - from));
        QTextCharFormat held;
        held.setObjectType(kHeldCharacter);
        held.setProperty(kHeldCode, int(c));
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), held);
        from = i + 1;
    }
    if (from == 0)
        cursor.insertText(text);
    else if (from < text.size())
        cursor.insertText(text.sliced(from));
}

// A text longer than this many characters goes into the document in pieces (see insertText).
constexpr qsizetype kPiece = qsizetype(1) << 20;

// Inserts one piece of a longer text at the cursor, joined to the edit the first piece began, so
// that the whole text is one edit the user can undo (while the document keeps an undo history).
// Held characters go in as their objects where the piece may hold any.
void insertPiece(QTextCursor& cursor, const QString& piece, bool first, bool holds)
{
    if (first)
        cursor.beginEditBlock();
    else
        cursor.joinPreviousEditBlock();
    if (holds)
        insertHolding(cursor, piece);
    else
        cursor.insertText(piece);
    cursor.endEditBlock();
}

// Inserts text at the cursor, each held character as its object, as one edit the user can undo
// (while the document keeps an undo history). A long text goes in piece by piece, each piece
// ending after a line feed, and the windows repaint between the pieces: the document takes in a
// text of many megabytes for seconds, and the window must not stay unpainted that long. What the
// user types or clicks meanwhile waits until the text is in.
void insertText(QTextCursor& cursor, const QString& text)
{
    qsizetype from = 0;
    do {
        qsizetype end = text.size();
        if (end - from > kPiece) {
            const qsizetype lineFeed = text.lastIndexOf(QLatin1Char('\n'), from + kPiece - 1);
            if (lineFeed >= from)
                end = lineFeed + 1;
        }
        insertPiece(cursor, from == 0 && end == text.size() ? text : text.sliced(from, end - from), from == 0, true);
        from = end;
        if (from < text.size())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } while (from < text.size());
}

// Empties the document and has fill put the new text in at the cursor it is given, all outside
// the undo history, which starts empty again afterwards.
void refill(QTextDocument* document, const std::function<void(QTextCursor&)>& fill)
{
    document->setUndoRedoEnabled(false);
    // Undo comes back on however the fill ends: a fill that fails half-way leaves the user an
    // editor that still undoes.
    const auto undoBack = qScopeGuard([document] { document->setUndoRedoEnabled(true); });
    document->clear();
    QTextCursor cursor(document);
    fill(cursor);
}

// text is the document's text from position `from` on, block breaks already LF: every held
// character in it becomes itself again.
void restoreHeld(const QTextDocument* document, QString& text, int from)
{
    if (!text.contains(QChar::ObjectReplacementCharacter))
        return;
    const int to = from + int(text.size());
    for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.objectType() != kHeldCharacter)
                continue;
            const QChar code(char16_t(format.intProperty(kHeldCode)));
            const int start = std::max(fragment.position(), from);
            const int end = std::min(fragment.position() + fragment.length(), to);
            for (int p = start; p < end; ++p)
                text[p - from] = code;
        }
    }
}

// Block breaks come out of the document as U+2029; the clipboard and the line model want LF.
QString withLineFeeds(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// UTF-8 to the buffer's text: every line break becomes LF (the block break it is), and a
// byte-order mark at the start stays, where QString::fromUtf8 would drop it. The UTF-8 text is
// rewritten in place and let go of once converted, so no second copy of a long text is held.
QString bufferText(std::string text)
{
    if (std::size_t cr = text.find('\r'); cr != std::string::npos) {
        std::size_t to = cr;
        for (std::size_t from = cr; from < text.size();) {
            const std::size_t next = text.find('\r', from);
            const std::size_t end = next == std::string::npos ? text.size() : next;
            std::copy(text.begin() + std::ptrdiff_t(from), text.begin() + std::ptrdiff_t(end),
                      text.begin() + std::ptrdiff_t(to));
            to += end - from;
            if (next == std::string::npos)
                break;
            text[to++] = '\n';
            from = next + (next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1);
        }
        text.resize(to);
    }
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    const bool withBom = std::string_view(text).starts_with(bom);
    const std::size_t start = withBom ? bom.size() : 0;
    QString result = QString::fromUtf8(text.data() + start, qsizetype(text.size() - start));
    std::string().swap(text);
    return withBom ? QChar(0xfeff) + result : result;
}

// The clipboard's text; empty when it offers none.
QString clipboardQText()
{
    return systemClipboard().text().value_or(QString());
}

// Makes Shift+Enter and Ctrl+Enter type Enter's line break, and sends the copy, cut and paste
// keys through the line model.
class BufferKeys : public QObject {
public:
    explicit BufferKeys(QPlainTextEdit* edit) : QObject(edit), m_edit(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_edit || event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers held = Qt::ShiftModifier | Qt::ControlModifier;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & held)) {
            QKeyEvent enter(QEvent::KeyPress, key->key(), key->modifiers() & ~held, QStringLiteral("\r"),
                            key->isAutoRepeat(), ushort(key->count()));
            QCoreApplication::sendEvent(m_edit, &enter);
            return true;
        }
        const bool copy = key->matches(QKeySequence::Copy);
        const bool cut = key->matches(QKeySequence::Cut);
        const bool paste = key->matches(QKeySequence::Paste);
        if (!copy && !cut && !paste)
            return false;
        guarded([&] {
            const CommandScope command;
            BufferLineModel buffer(m_edit);
            if (copy || cut)
                buffer.copySelection();
            if (m_edit->isReadOnly())
                return;
            if (cut) {
                QTextCursor cursor = m_edit->textCursor();
                cursor.removeSelectedText();
                m_edit->setTextCursor(cursor);
            }
            if (paste)
                buffer.paste();
            m_edit->ensureCursorVisible();
        });
        return true;
    }

private:
    QPlainTextEdit* m_edit;
};

} // namespace

BufferLineModel::BufferLineModel(QPlainTextEdit* edit)
    : m_edit(edit)
{
    QTextDocument* document = edit->document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    if (!layout->handlerForObject(kHeldCharacter))
        layout->registerHandler(kHeldCharacter, new HeldCharacterMark(document));
}

void BufferLineModel::install(QPlainTextEdit* edit)
{
    edit->installEventFilter(new BufferKeys(edit));
}

int BufferLineModel::lineCount() const
{
    const QTextDocument* document = m_edit->document();
    int count = document->blockCount();
    if (document->lastBlock().length() <= 1) // only its end-of-block mark: the line after a final break
        --count;
    return count;
}

std::optional<std::string> BufferLineModel::clipboardText() const
{
    const QString text = clipboardQText();
    if (text.isEmpty())
        return std::nullopt;
    return text.toStdString();
}

bool BufferLineModel::replaceWithClipboard()
{
    return insertClipboard(true);
}

bool BufferLineModel::paste()
{
    return insertClipboard(false);
}

bool BufferLineModel::insertClipboard(bool replaceAll)
{
    // Inserted with the edit's own cursor rather than through QPlainTextEdit::paste(), which
    // first builds the text as a document of its own and would break lines at the held
    // characters.
    const QString text = clipboardQText();
    if (text.isEmpty())
        return false;
    checkLineLengths(text);
    // The edit's clear() starts the undo history again, as the new text's paste begins it.
    if (replaceAll)
        m_edit->clear();
    QTextCursor cursor = m_edit->textCursor();
    insertText(cursor, text);
    m_edit->setTextCursor(cursor);
    return true;
}

void BufferLineModel::selectAll()
{
    m_edit->selectAll();
}

QString BufferLineModel::selectionText() const
{
    const QTextCursor cursor = m_edit->textCursor();
    const QTextDocument* document = m_edit->document();
    const int from = cursor.selectionStart();
    const bool all = from == 0 && cursor.selectionEnd() == document->characterCount() - 1;
    if (all && document->revision() == m_setRevision && !m_setText.isNull())
        return m_setText;
    // The whole text comes out of the document several times faster than the same text taken
    // as a selection.
    QString text = withLineFeeds(all ? document->toRawText() : cursor.selectedText());
    restoreHeld(document, text, from);
    return text;
}

void BufferLineModel::copySelection()
{
    if (!m_edit->textCursor().hasSelection())
        return;
    systemClipboard().setText(selectionText());
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
    QString text = withLineFeeds(m_edit->document()->toRawText());
    restoreHeld(m_edit->document(), text, 0);
    return text.toStdString();
}

void BufferLineModel::setText(std::string text)
{
    m_setText = QString();
    QString lines = bufferText(std::move(text));
    checkLineLengths(lines);
    QTextDocument* document = m_edit->document();
    if (lines.size() <= kPiece && !holdsAny(lines)) {
        // The document's own setPlainText() drops the old text at once, outside the undo history
        // (which it empties); removing it as a selection takes it apart piece by piece.
        document->setPlainText(lines);
    } else {
        refill(document, [&](QTextCursor& cursor) { insertText(cursor, lines); });
    }
    finishSet(std::move(lines));
}

void BufferLineModel::finishSet(QString text)
{
    m_edit->setTextCursor(QTextCursor(m_edit->document()));
    m_setText = std::move(text);
    m_setRevision = m_edit->document()->revision();
}

bool BufferLineModel::replaceWithConvertedClipboard(const PieceConverter& convert, std::size_t growth)
{
    const QString text = clipboardQText();
    if (text.isEmpty())
        return false;
    // Only a text whose converted lines all fit is filled in while it is converted: the check
    // of the converted text would otherwise come after the document had changed.
    if (growth > std::size_t(kLongestLine) || !linesFit(text, kLongestLine - qsizetype(growth)))
        return LineModel::replaceWithConvertedClipboard(convert, growth);

    // The text is converted a piece at a time, each piece ending after a line feed, on another
    // thread, which keeps ahead of the document taking in the pieces here. The first piece is
    // short, so the document waits little for it.
    std::vector<qsizetype> ends;
    for (qsizetype from = 0, length = qsizetype(1) << 14; from < text.size(); length = qsizetype(1) << 16) {
        qsizetype end = text.size();
        if (text.size() - from > length) {
            end = text.lastIndexOf(QLatin1Char('\n'), from + length - 1);
            if (end < from)
                end = text.indexOf(QLatin1Char('\n'), from + length);
            end = end < 0 ? text.size() : end + 1;
        }
        ends.push_back(end);
        from = end;
    }
    struct Piece {
        QString text;
        bool holds = false; // holds a character the document keeps as an object
    };
    std::vector<std::promise<Piece>> converted(ends.size());
    // Also gathers the whole converted text, which copying all of it gives.
    QString whole;
    whole.reserve(text.size() + text.size() / 4);
    // The worker keeps at most a few pieces ahead: the memory of pieces waiting is freed soon,
    // and its allocator does not keep it.
    std::counting_semaphore<> room(4);
    const std::future<void> converter = std::async(std::launch::async, [&] {
        for (std::size_t i = 0; i < ends.size(); ++i) {
            room.acquire();
            try {
                const qsizetype from = i == 0 ? 0 : ends[i - 1];
                const std::string_view previousEnding
                    = from >= 2 && text[from - 2] == QLatin1Char('\r') ? "\r\n" : "\n";
                const QByteArray utf8 = QStringView(text).sliced(from, ends[i] - from).toUtf8();
                Piece piece;
                piece.text = bufferText(convert(std::string_view(utf8.data(), std::size_t(utf8.size())), previousEnding,
                                                i + 1 == ends.size()));
                piece.holds = holdsAny(piece.text);
                whole += piece.text;
                converted[i].set_value(std::move(piece));
            } catch (...) {
                converted[i].set_exception(std::current_exception());
                return;
            }
        }
    });

    m_setText = QString();
    // Should the loop below end early, the worker gets room for every piece left, so it ends.
    const auto unblock = qScopeGuard([&] { room.release(std::ptrdiff_t(ends.size())); });
    refill(m_edit->document(), [&](QTextCursor& cursor) {
        qsizetype sinceRepaint = 0;
        for (std::size_t i = 0; i < converted.size(); ++i) {
            const Piece piece = converted[i].get_future().get();
            room.release();
            insertPiece(cursor, piece.text, i == 0, piece.holds);
            sinceRepaint += piece.text.size();
            if (sinceRepaint >= kPiece && i + 1 < converted.size()) {
                sinceRepaint = 0;
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
        }
    });
    finishSet(std::move(whole));
    return true;
}

} // namespace navrik

#include "BufferLineModel.moc"
