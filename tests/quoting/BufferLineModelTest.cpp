// The line model over a real QPlainTextEdit and the application's own clipboard.
#include "quoting/BufferLineModel.h"
#include "quoting/QuoteCommand.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QtTest>

using namespace navrik;

namespace {

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
        QTest::newRow("two final LF") << "a\n\n" << QStringList{"a", ""};
        QTest::newRow("CR LF alone") << "\r\n" << QStringList{""};
        QTest::newRow("every break") << "a\r\nb\rc\nd" << QStringList{"a", "b", "c", "d"};
        QTest::newRow("CR then CR LF") << "a\r\r\nb\r" << QStringList{"a", "", "b"};
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
        QGuiApplication::clipboard()->setText(pasted);
        pasteCommand(m_buffer);
        QCOMPARE(m_buffer.lineCount(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(QString::fromStdString(m_buffer.readLine(i)), lines[i]);
        QCOMPARE(QString::fromStdString(m_buffer.text()), lfOnly(pasted));
        QGuiApplication::clipboard()->setText("before");
        m_buffer.selectAll();
        m_buffer.copySelection();
        QCOMPARE(QGuiApplication::clipboard()->text(), pasted.isEmpty() ? "before" : lfOnly(pasted));
    }

    // Indexes that are no line, the empty place after a final break included, change nothing.
    void badIndexesChangeNothing()
    {
        m_edit.setPlainText("a\nb\n");
        for (int bad : {-1, 2}) {
            m_buffer.replaceLine(bad, "x");
            m_buffer.insertLine(bad, "x");
        }
        QCOMPARE(m_buffer.text(), "a\nb\n");
    }

    // The line-by-line rewrite of the widget's lines gives what the one pass gives.
    void lineByLineOverTheWidgetMatchesOnePass()
    {
        const QString wide = QString("Re: お世話に\u00a0なります。😀ｶﾞ\t漢").repeated(5);
        const QString texts[] = {"", "\n", "a\n\nb\n", wide + "\r\n\r\n" + wide, "ｶ\r" + wide + "\n\n"};
        const std::pair<std::string, std::int64_t> runs[] = {{"> ", 68}, {"> ", kUnlimitedLineBudget}, {"＞", 1}, {">>", -3}};
        for (const QString& text : texts) {
            for (const auto& [mark, budget] : runs) {
                QGuiApplication::clipboard()->setText(text);
                pasteCommand(m_buffer);
                const std::string pasted = m_buffer.text();
                quoteLines(m_buffer, mark, budget);
                QVERIFY2(m_buffer.text() == quoteText(pasted, mark, budget), qPrintable(text.left(8)));
            }
        }
    }
};

QTEST_MAIN(BufferLineModelTest)
#include "BufferLineModelTest.moc"
