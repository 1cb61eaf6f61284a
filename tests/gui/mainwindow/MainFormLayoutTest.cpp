// SPDX-License-Identifier: MIT
#include "gui/mainwindow/ToolButton.h"
#include "support/ProgramWindows.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <tuple>
#include <utility>

namespace {

// A control's rectangle in the client coordinates of the panel that holds it.
QRect onPanel(QWidget* w)
{
    QFrame* panel = MainForm->MainPanel;
    return QRect(w->mapTo(panel, QPoint(0, 0)) - panel->contentsRect().topLeft(), w->size());
}

// Everything the mode switch and the resize rule may touch, in window coordinates.
QList<QRect> layout()
{
    QList<QRect> rects{MainForm->geometry(), MainForm->MainPanel->geometry(), MainForm->MainPanel->contentsRect()};
    for (QWidget* w : MainForm->MainPanel->findChildren<QWidget*>())
        rects << QRect(w->mapTo(MainForm, QPoint(0, 0)), w->size());
    return rects;
}

} // namespace

class TestMainFormLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { navrik::createWindows(*qApp); }
    void cleanup()
    {
        navrik::destroyWindows();
        std::filesystem::remove(navrik::settingsFilePath());
    }

    // The buffer's columns line up: a half-width character has one advance, a full-width one two.
    void bufferFontHasColumns()
    {
        const QFontMetrics metrics(MainForm->MailBuff->font());
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
        QCOMPARE(metrics.horizontalAdvance(u'あ'), 2 * metrics.horizontalAdvance('W'));
    }

    // Icon mode keeps the window's place and the panel behind the icon as it was; back in
    // window mode everything is where it was. Before the window is first shown and while shown.
    void iconModeAndBack()
    {
        for (bool shown : {false, true}) {
            if (shown) {
                MainForm->show();
                QVERIFY(QTest::qWaitForWindowExposed(MainForm));
            }
            const QList<QRect> windowMode = layout();
            MainForm->FormRedraw(true);
            QCOMPARE(MainForm->geometry(), QRect(201, 110, 32, 32));
            QCOMPARE(MainForm->IconImg->mapTo(MainForm, QPoint(0, 0)), QPoint(0, 0));
            QCOMPARE(MainForm->MainPanel->size(), QSize(300, 200));
            QVERIFY(MainForm->AutoPaste->isChecked());
            MainForm->FormRedraw(false);
            QCOMPARE(layout(), windowMode);
            QVERIFY(!MainForm->AutoPaste->isChecked());
        }
    }

    // Window mode takes the dialog's size; the panel and the buffer follow, the buttons stay put.
    void resizeRule()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        for (auto [fromIcon, size] : {std::pair{false, QSize(500, 200)}, {false, QSize(600, 400)},
                                      {true, QSize(450, 250)}, {true, QSize(300, 200)}}) {
            if (fromIcon)
                MainForm->FormRedraw(true);
            ConfigForm->FormX->setValue(size.width());
            ConfigForm->FormY->setValue(size.height());
            MainForm->FormRedraw(false);
            QCOMPARE(MainForm->MainPanel->geometry(), QRect(QPoint(0, 0), size));
            QCOMPARE(onPanel(MainForm->MailBuff), QRect(2, 36, size.width() - 6, size.height() - 40));
            QCOMPARE(onPanel(MainForm->ConfigBtn), QRect(247, 7, 49, 21));
        }
        // A stored size may have a side of 32 in window mode: the panel and the buffer stay.
        for (QSize size : {QSize(32, 300), QSize(450, 32)}) {
            MainForm->resize(size);
            QCOMPARE(MainForm->MainPanel->size(), QSize(300, 200));
            QCOMPARE(MainForm->MailBuff->size(), QSize(294, 160));
        }
        MainForm->resize(400, 300);
        QCOMPARE(MainForm->MailBuff->size(), QSize(394, 260));
    }

    // Tabbed mail lines up as a mail program shows it: a tab stop every 8 columns.
    void tabStopsEveryEightColumns()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        QPlainTextEdit* buffer = MainForm->MailBuff;
        buffer->setPlainText("\tX\n12345678X\nabc\tX\n123456789\tX\n1234567890123456X");
        QList<int> xOfX;
        for (QTextBlock line = buffer->document()->begin(); line.isValid(); line = line.next())
            xOfX << buffer->cursorRect(QTextCursor(line.document()->find("X", line.position()))).x();
        QCOMPARE(xOfX, QList<int>({xOfX[1], xOfX[1], xOfX[1], xOfX[4], xOfX[4]}));
    }

    // The quote mark stays readable: black on a light (or mid grey) field, else the palette's
    // text colour.
    void quoteMarkReadableOnAnyPalette()
    {
        for (const auto& [base, text, expected] : {std::tuple{QColor(Qt::white), QColor(Qt::darkBlue), QColor(Qt::black)},
                                                   {QColor(160, 160, 160), QColor(Qt::white), QColor(Qt::black)},
                                                   {QColor(0, 0, 160), QColor(Qt::yellow), QColor(Qt::yellow)}}) {
            navrik::destroyWindows();
            const QPalette original = QApplication::palette();
            QPalette palette = original;
            palette.setColor(QPalette::Base, base);
            palette.setColor(QPalette::Text, text);
            QApplication::setPalette(palette);
            navrik::createWindows(*qApp);
            QApplication::setPalette(original);
            MainForm->FlagEdit->setText(QStringLiteral("■■■"));
            const QImage field = MainForm->FlagEdit->grab().toImage();
            QCOMPARE(field.pixelColor(field.width() - 4, field.height() / 2), base);
            QCOMPARE(field.pixelColor(8, field.height() / 2), expected); // inside the first square
        }
    }

    // A stored place that leaves some part of the window on a screen is kept; one wholly off
    // every screen (in the gap between them, or beyond X11's 16 bits) starts at the first-run
    // place. The size is cut to the screen the window starts on. The file keeps the stored place
    // until the window is moved.
    void storedPlaceAndSize_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("shown");
        const QRect first(201, 110, 300, 200);
        QTest::newRow("one pixel on the left screen") << QRect(-299, -199, 300, 200) << QRect(-299, -199, 300, 200);
        QTest::newRow("on the right screen") << QRect(1100, 300, 300, 200) << QRect(1100, 300, 300, 200);
        QTest::newRow("left of every screen") << QRect(-300, 0, 300, 200) << first;
        QTest::newRow("below the right screen") << QRect(900, 480, 300, 200) << first;
        QTest::newRow("wraps onto the screen in X11") << QRect(65736, 110, 300, 200) << first;
        QTest::newRow("huge on the left screen") << QRect(201, 110, 100000, 100000) << QRect(201, 110, 800, 600);
        QTest::newRow("huge on the right screen") << QRect(900, 10, 2000, 300) << QRect(900, 10, 640, 300);
    }

    void storedPlaceAndSize()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, shown);
        navrik::destroyWindows();
        navrik::test::writeSettings(QStringLiteral("FormLeft=%1\r\nFormTop=%2\r\nFormWidth=%3\r\nFormHeight=%4\r\n")
                                        .arg(stored.x()).arg(stored.y()).arg(stored.width()).arg(stored.height()).toLatin1());
        navrik::createWindows(*qApp);
        QCOMPARE(MainForm->geometry(), shown);
        for (QPoint saved : {stored.topLeft(), shown.topLeft() + QPoint(5, 7)}) {
            if (saved != stored.topLeft())
                MainForm->move(saved); // as the user drags it
            MainForm->FormClose();
            const QByteArray text = navrik::test::settingsText();
            QVERIFY2(text.contains(QStringLiteral("FormLeft=%1\r\nFormTop=%2\r\n").arg(saved.x()).arg(saved.y()).toLatin1()),
                     text.constData());
        }
    }
};

QTEST_MAIN(TestMainFormLayout)
#include "MainFormLayoutTest.moc"
