// The line model over a real QPlainTextEdit and the application's own clipboard.
#include "quoting/BufferLineModel.h"
#include "quoting/MemoryLineModel.h"
#include "quoting/QuoteCommand.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QtTest>

#include <optional>

using namespace navrik;

namespace {

QClipboard* clipboard()
{
    return QGuiApplication::clipboard();
}

QString lfOnly(QString text)
{
    return text.replace("\r\n", "\n").replace('\r', '\n');
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
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("no break") << "a" << QStringList{"a"};
        QTest::newRow("final LF") << "a\n" << QStringList{"a"};
        QTest::newRow("two final LF") << "a\n\n" << QStringList{"a", ""};
        QTest::newRow("CR LF alone") << "\r\n" << QStringList{""};
        QTest::newRow("every break") << "a\r\nb\rc\nd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("CR then CR LF") << "a\r\r\nb\r" << QStringList{"a", "", "b"};
        QTest::newRow("LF CR is two") << "a\n\rb" << QStringList{"a", "", "b"};
        // No-break spaces stay no-break, tabs stay tabs, a line separator does not end a line.
        QTest::newRow("characters kept") << "a\u00a0b\tc\r\n😀𠀋\u3000ｶﾞ\r\nx\u2028y\r\n\ufeff\u200d\r\n"
                                         << QStringList{"a\u00a0b\tc", "😀𠀋\u3000ｶﾞ", "x\u2028y", "\ufeff\u200d"};
    }

    // Clear, then paste: the buffer holds exactly the clipboard's text, CR LF, a lone CR and a
    // lone LF each ending a line; select all and copy give it back unchanged but for LF breaks.
    void linesOfPastedText()
    {
        QFETCH(QString, pasted);
        QFETCH(QStringList, lines);
        m_edit.setPlainText("left over");
        clipboard()->setText(pasted);
        pasteCommand(m_buffer);
        QCOMPARE(m_buffer.lineCount(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(QString::fromStdString(m_buffer.readLine(i)), lines[i]);
        QCOMPARE(QString::fromStdString(m_buffer.text()), lfOnly(pasted));
        clipboard()->setText("before");
        m_buffer.selectAll();
        m_buffer.copySelection();
        QCOMPARE(clipboard()->text(), pasted.isEmpty() ? "before" : lfOnly(pasted));
    }

    // Indexes that are no line, the empty place after a final break included, change nothing.
    void editsByIndex()
    {
        m_edit.setPlainText("a\nb\n");
        for (int bad : {-1, 2, 99}) {
            m_buffer.replaceLine(bad, "x");
            m_buffer.insertLine(bad, "x");
            QCOMPARE(m_buffer.readLine(bad), std::string());
        }
        m_buffer.replaceLine(1, "last");
        m_buffer.insertLine(0, "first");
        m_buffer.replaceLine(1, "");
        QCOMPARE(m_buffer.text(), "first\n\nlast\n");
        QVERIFY(!m_edit.document()->isUndoAvailable());
    }

    // The quote command rewrites the buffer in one pass; that must be what the line-by-line
    // rewrite of the same buffer gives, and what it gives on a buffer held in memory.
    void oneRewriteMatchesLineByLine()
    {
        const QString wide = QString("Re: お世話に\u00a0なります。😀ｶﾞ\t漢").repeated(5);
        const QString texts[] = {"", "\n", "a", "a\n\nb\n", wide + "\r\n\r\n" + wide, "ｶ\r" + wide + "\n\n"};
        const std::pair<std::string, std::int64_t> runs[] = {
            {"> ", 68}, {"> ", kUnlimitedLineBudget}, {"", 7}, {"＞", 1}, {"> ", 0}, {">>", -3}};
        for (const QString& text : texts) {
            for (const auto& [mark, budget] : runs) {
                clipboard()->setText(text);
                pasteCommand(m_buffer);
                const std::string pasted = m_buffer.text();
                quoteLines(m_buffer, mark, budget);
                std::optional<std::string> held;
                MemoryLineModel memory(held, pasted);
                quoteLines(memory, mark, budget);
                const QByteArray where = text.left(8).toUtf8() + " budget " + QByteArray::number(budget);
                QVERIFY2(m_buffer.text() == memory.text(), where);
                QVERIFY2(m_buffer.text() == quoteText(pasted, mark, budget), where);
            }
        }
    }
};

QTEST_MAIN(BufferLineModelTest)
#include "BufferLineModelTest.moc"
