// The line model over a real QPlainTextEdit and the application's own clipboard.
#include "gui/BufferLineModel.h"
#include "core/QuoteCommand.h"

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
                                         << QStringList{"a\u00a0b\tc", "😀𠀋\u3000ｶﾞ", "x\u2028y", QStringLiteral("\ufeff\u200d")};
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
        QCOMPARE(QString::fromStdString(m_buffer.text()).split('\n').mid(0, lines.size()), lines);
        QCOMPARE(QString::fromStdString(m_buffer.text()), lfOnly(pasted));
        QGuiApplication::clipboard()->setText("before");
        m_buffer.selectAll();
        m_buffer.copySelection();
        QCOMPARE(QGuiApplication::clipboard()->text(), pasted.isEmpty() ? "before" : lfOnly(pasted));
    }
};

QTEST_MAIN(BufferLineModelTest)
#include "BufferLineModelTest.moc"
