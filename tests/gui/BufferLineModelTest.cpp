// SPDX-License-Identifier: MIT
// The line model over a real QPlainTextEdit and the application's own clipboard.
#include "gui/BufferLineModel.h"
#include "core/Error.h"
#include "core/QuoteCommand.h"
#include "core/QuoteStream.h"

#include <QtWidgets>
#include <QtTest>

using namespace navrik;

namespace {

QString lfOnly(QString text) { return text.replace("\r\n", "\n").replace('\r', '\n'); }

// UTF-8 to text, a byte-order mark at the start kept (QString::fromStdString drops it).
QString fromUtf8(const std::string& text) { return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)(text); }

// Quotes a piece of text with the mark "> " in the budget, as the quote command does piece by piece.
LineModel::PieceConverter quoteIn(std::int64_t budget)
{
    return [budget](std::string_view piece, std::string_view previousEnding, bool) {
        std::string out;
        QuoteStream("> ", budget, previousEnding).quote(piece, out);
        return out;
    };
}

} // namespace

class BufferLineModelTest : public QObject {
    Q_OBJECT

    QPlainTextEdit m_edit;
    BufferLineModel m_buffer{&m_edit};

private slots:
    void linesOfPastedText_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("two final LF") << "a\n\n" << QStringList{"a", ""};
        QTest::newRow("CR LF alone") << "\r\n" << QStringList{""};
        QTest::newRow("every break") << "a\r\nb\rc\nd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("CR then CR LF") << "a\r\r\nb\r" << QStringList{"a", "", "b"};
        // No-break spaces, tabs, a line separator, the document's own breaks, a byte-order mark first
        // and a NUL last are kept, each inside its line, as the quote command sees them.
        QTest::newRow("characters kept") << "a\u00a0b\tc\r\n😀𠀋\u3000ｶﾞ\r\nx\u2028y\r\n\ufeff\u200d\r\n"
                                         << QStringList{"a\u00a0b\tc", "😀𠀋\u3000ｶﾞ", "x\u2028y", QStringLiteral("\ufeff\u200d")};
        QTest::newRow("document's own breaks kept")
            << QStringLiteral("\ufeffa\u2029b\ufdd0c\ufdd1d\u2028\u2028\r\n\u2029\ufffcz") + QChar(0)
            << QStringList{QStringLiteral("\ufeffa\u2029b\ufdd0c\ufdd1d\u2028\u2028"),
                           QStringLiteral("\u2029\ufffcz") + QChar(0)};
        // Long enough to go in pieces: no break is lost or doubled where a piece ends.
        const QString line = QStringLiteral("\u2028") + QString(36, QLatin1Char('x'));
        QString many;
        for (int i = 0; i < 30000; ++i)
            many += line + (i % 2 ? "\r\n" : "\r");
        QTest::newRow("pasted in pieces") << many << QStringList(30000, line);
    }

    // Clear, then paste: the buffer holds exactly the clipboard's text, CR LF, a lone CR and a
    // lone LF each ending a line; select all and copy give it back unchanged but for LF breaks.
    void linesOfPastedText()
    {
        QFETCH(QString, pasted);
        QFETCH(QStringList, lines);
        m_edit.setPlainText("left over");
        QGuiApplication::clipboard()->setText(pasted);
        pasteCommand(m_buffer);
        QCOMPARE(m_buffer.lineCount(), lines.size());
        QCOMPARE(fromUtf8(m_buffer.text()).split('\n').mid(0, lines.size()), lines);
        QCOMPARE(fromUtf8(m_buffer.text()), lfOnly(pasted));
        QGuiApplication::clipboard()->setText("before");
        m_buffer.selectAll();
        m_buffer.copySelection();
        QCOMPARE(QGuiApplication::clipboard()->text(), lfOnly(pasted));
        // What the buffer shows: one laid-out line for each of its lines, none broken inside.
        for (QTextBlock block = m_edit.document()->begin(); block.isValid(); block = block.next()) {
            m_edit.document()->documentLayout()->blockBoundingRect(block);
            QCOMPARE(block.layout()->lineCount(), 1);
        }
        m_edit.undo(); // the paste is one edit, however many pieces it went in as
        QVERIFY(m_edit.document()->isEmpty());
        // Quoted piece by piece as the buffer takes it in (auto paste), as quoting it at once would.
        QGuiApplication::clipboard()->setText(pasted);
        QVERIFY(m_buffer.replaceWithConvertedClipboard(quoteIn(18), 2));
        m_buffer.selectAll();
        m_buffer.copySelection();
        const QString quoted = lfOnly(fromUtf8(quoteText(pasted.toStdString(), "> ", 18)));
        QCOMPARE(fromUtf8(m_buffer.text()), quoted);
        QCOMPARE(QGuiApplication::clipboard()->text(), quoted);
        // A conversion that fails half-way leaves an editor that still undoes.
        const auto failing = [](std::string_view, std::string_view, bool) -> std::string { throw Error("failed"); };
        QVERIFY_THROWS_EXCEPTION(Error, m_buffer.replaceWithConvertedClipboard(failing, 2));
        QVERIFY(m_edit.document()->isUndoRedoEnabled());
    }

    // A line longer than the buffer shows is refused with an error, pasted or quoted, and the
    // buffer stays as it was; the longest line it takes (here after a lone CR) goes in.
    void overlongLineRefused()
    {
        m_edit.setPlainText("left over");
        const QString longest(BufferLineModel::kLongestLine, QLatin1Char('x'));
        QGuiApplication::clipboard()->setText("a\n" + longest + "y\nb");
        QVERIFY_THROWS_EXCEPTION(Error, pasteCommand(m_buffer));
        QVERIFY_THROWS_EXCEPTION(Error, m_buffer.replaceWithConvertedClipboard(quoteIn(kUnlimitedLineBudget), 2));
        QVERIFY_THROWS_EXCEPTION(Error, m_buffer.setText(("a\r" + longest + "y").toStdString()));
        QCOMPARE(m_edit.toPlainText(), "left over");
        QGuiApplication::clipboard()->setText("a\r" + longest + "\r\nb");
        QVERIFY(pasteCommand(m_buffer));
        QCOMPARE(m_buffer.lineCount(), 3);
    }

    // In icon mode the clipboard's text is quoted piece by piece: re-flowed, no paragraph is cut
    // where a piece ends, and the buffer ends as quoting the whole text at once would leave it.
    void reflowedPieceByPiece()
    {
        std::string mail;
        for (int i = 0; i < 6000; ++i)
            mail += i % 40 == 39 ? "\n" : "見積書の件につきまして、社内で検討いたしました結果、以下の条件でご提案させ\n";
        QGuiApplication::clipboard()->setText(QString::fromStdString(mail));
        quoteCommand(m_buffer, {"> ", true, true, 60, false, true});
        QCOMPARE(fromUtf8(m_buffer.text()), fromUtf8(quoteText(mail, "> ", 58, BreakStyle::Reflow)));
    }
};

QTEST_MAIN(BufferLineModelTest)
#include "BufferLineModelTest.moc"
