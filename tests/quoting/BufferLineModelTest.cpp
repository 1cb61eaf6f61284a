// The line model over a real QPlainTextEdit and the application's own clipboard.
#include "quoting/BufferLineModel.h"
#include "quoting/MemoryLineModel.h"
#include "quoting/QuoteCommand.h"

#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QtTest>

#include <optional>
#include <random>

using namespace navrik;

namespace {

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void setClipboard(const std::string& text)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::string lfOnly(const std::string& text)
{
    std::string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            lf += text[i];
        else if (text.compare(i, 2, "\r\n") != 0)
            lf += '\n';
    }
    return lf;
}

// Mail-like text: lines of ASCII, kana, kanji and the odd character no code page holds, blank
// lines, lines wider than any budget, every kind of break; sometimes no final break.
std::string mixedText(unsigned seed)
{
    static const char* const pieces[] = {"a", "Re: ", " ", "\t", "あ", "漢", "ｶ", "ﾞ", "😀", "\u00a0", "。"};
    static const char* const breaks[] = {"\r\n", "\n", "\r"};
    std::mt19937 rng(seed);
    std::string text;
    const int lines = 1 + int(rng() % 12);
    for (int i = 0; i < lines; ++i) {
        const int length = rng() % 4 == 0 ? 0 : int(rng() % 50);
        for (int j = 0; j < length; ++j)
            text += pieces[rng() % std::size(pieces)];
        if (i + 1 < lines || rng() % 2)
            text += breaks[rng() % 3];
    }
    return text;
}

} // namespace

class BufferLineModelTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_edit = std::make_unique<QPlainTextEdit>();
        m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_buffer = std::make_unique<BufferLineModel>(m_edit.get());
    }

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
    }

    // Clear, then paste: the buffer holds exactly the clipboard's text, CR LF, a lone CR and a
    // lone LF each ending a line; select all and copy give it back with LF breaks.
    void linesOfPastedText()
    {
        QFETCH(QString, pasted);
        QFETCH(QStringList, lines);
        m_edit->setPlainText("left over");
        QGuiApplication::clipboard()->setText(pasted);
        pasteCommand(*m_buffer);
        QCOMPARE(m_buffer->lineCount(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(QString::fromStdString(m_buffer->readLine(i)), lines[i]);
        const std::string expected = lfOnly(pasted.toStdString());
        QCOMPARE(m_buffer->text(), expected);
        QGuiApplication::clipboard()->setText("before");
        m_buffer->selectAll();
        m_buffer->copySelection();
        QCOMPARE(clipboardText(), pasted.isEmpty() ? QString("before") : QString::fromStdString(expected));
    }

    void clipboardWithoutTextChangesNothing()
    {
        m_edit->setPlainText("kept");
        auto* data = new QMimeData;
        data->setData("application/octet-stream", "\x01\x02");
        QGuiApplication::clipboard()->setMimeData(data);
        m_buffer->paste();
        QCOMPARE(m_edit->toPlainText(), QString("kept"));
        pasteCommand(*m_buffer);
        QCOMPARE(m_buffer->lineCount(), 0);
        QCOMPARE(m_edit->toPlainText(), QString());
    }

    void editsByIndex()
    {
        m_edit->setPlainText("a\nb");
        for (int bad : {-1, 2, 99}) {
            m_buffer->replaceLine(bad, "x");
            m_buffer->insertLine(bad, "x");
            QCOMPARE(m_buffer->readLine(bad), std::string());
        }
        QCOMPARE(m_buffer->text(), "a\nb");
        m_buffer->replaceLine(1, "last");
        QCOMPARE(m_buffer->text(), "a\nlast");
        m_buffer->insertLine(0, "first");
        QCOMPARE(m_buffer->text(), "first\na\nlast");
        m_buffer->replaceLine(1, "");
        QCOMPARE(m_buffer->text(), "first\n\nlast");

        // The empty place after a final break is not a line.
        m_edit->setPlainText("a\n");
        m_buffer->replaceLine(1, "x");
        m_buffer->insertLine(1, "x");
        QCOMPARE(m_buffer->text(), "a\n");
        QVERIFY(!m_edit->document()->isUndoAvailable());
    }

    // What the buffer holds comes back unchanged through paste, quote and copy but for the marks:
    // no-break spaces stay no-break, tabs stay tabs, a line separator does not end a line.
    void charactersPassThroughUnchanged()
    {
        const std::string lines[] = {"a\u00a0b\tc", "😀𠀋\u3000ｶﾞ", "x\u2028y", "\ufeff\u200d", ""};
        std::string pasted, quoted;
        for (const std::string& line : lines) {
            pasted += line + "\r\n";
            quoted += "> " + line + "\n";
        }
        setClipboard(pasted);
        quoteCommand(*m_buffer, {"> ", true, false, 70});
        QCOMPARE(m_buffer->lineCount(), int(std::size(lines)));
        QCOMPARE(m_buffer->readLine(0), "> " + lines[0]);
        QCOMPARE(clipboardText().toStdString(), quoted);
    }

    // The quote command rewrites the buffer in one pass; that must be what the line-by-line
    // rewrite of the same buffer gives, and what it gives on a buffer held in memory.
    void oneRewriteMatchesLineByLine()
    {
        const struct {
            std::string mark;
            std::int64_t budget;
        } runs[] = {{"> ", 68}, {"> ", kUnlimitedLineBudget}, {"", 7}, {"＞", 1}, {"> ", 0}, {">>", -3}};
        for (unsigned seed = 1; seed <= 12; ++seed) {
            const std::string text = mixedText(seed);
            for (const auto& run : runs) {
                setClipboard(text);
                pasteCommand(*m_buffer);
                const std::string pasted = m_buffer->text();
                QCOMPARE(pasted, lfOnly(text));
                quoteLines(*m_buffer, run.mark, run.budget);
                std::optional<std::string> clipboard;
                MemoryLineModel memory(clipboard, pasted);
                quoteLines(memory, run.mark, run.budget);
                const QByteArray where = "seed " + QByteArray::number(seed) + " budget " + QByteArray::number(run.budget);
                QVERIFY2(m_buffer->text() == memory.text(), where);
                QVERIFY2(m_buffer->text() == quoteText(pasted, run.mark, run.budget), where);
            }
        }
    }

private:
    std::unique_ptr<QPlainTextEdit> m_edit;
    std::unique_ptr<BufferLineModel> m_buffer;
};

QTEST_MAIN(BufferLineModelTest)
#include "BufferLineModelTest.moc"
