#include "app/Forms.h"
#include "app/Startup.h"
#include "core/ConfigLocation.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/mainwindow/ToolButton.h"
#include "gui/settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QtTest>

#include <algorithm>
#include <cmath>
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

QString settingsPath()
{
    return QString::fromStdString(navrik::settingsFilePath().string());
}

// The contrast ratio of two colours as the web's accessibility guidelines define it (1 to 21).
double contrast(QColor a, QColor b)
{
    const auto luminance = [](QColor c) {
        const auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TestMainFormLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { navrik::createWindows(*qApp); }
    void cleanup()
    {
        navrik::destroyWindows();
        QFile::remove(settingsPath());
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
        QList<int> columns;
        for (int line = 0; line < 5; ++line) {
            QTextCursor at(buffer->document()->findBlockByNumber(line));
            at.movePosition(QTextCursor::EndOfBlock);
            at.movePosition(QTextCursor::Left);
            columns << buffer->cursorRect(at).x();
        }
        QCOMPARE(columns[0], columns[1]);
        QCOMPARE(columns[2], columns[1]);
        QCOMPARE(columns[3], columns[4]);
    }

    // The quote mark stays readable whatever the desktop's colours: black on a light field, the
    // palette's own text colour where black would not show.
    void quoteMarkReadableOnAnyPalette_data()
    {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::darkBlue) << QColor(Qt::black);
        QTest::newRow("mid grey") << QColor(160, 160, 160) << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark") << QColor(30, 30, 30) << QColor(230, 230, 230) << QColor(230, 230, 230);
        QTest::newRow("dark blue") << QColor(0, 0, 160) << QColor(Qt::yellow) << QColor(Qt::yellow);
    }

    void quoteMarkReadableOnAnyPalette()
    {
        QFETCH(QColor, base);
        QFETCH(QColor, text);
        QFETCH(QColor, expected);
        navrik::destroyWindows();
        const QPalette original = QApplication::palette();
        QPalette palette = original;
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        QApplication::setPalette(palette);
        navrik::createWindows(*qApp);
        QApplication::setPalette(original);
        MainForm->FlagEdit->setText(QStringLiteral("■■■"));
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        const QImage field = MainForm->FlagEdit->grab().toImage();
        QCOMPARE(field.pixelColor(field.width() - 4, field.height() / 2), base);
        // The middle of the first square is the text's colour, solid.
        const QColor ink = field.pixelColor(8, field.height() / 2);
        QCOMPARE(ink, expected);
        QVERIFY(contrast(ink, base) >= 4.5);
    }

    // A stored place that leaves some part of the window on a screen is kept; one wholly off
    // every screen (in a gap between them, or beyond what X11 can place) starts at the first-run
    // place. The size is cut to the screen the window starts on. The file keeps what it held
    // until the window is moved.
    void storedPlaceAndSize_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("shown");
        const QRect first(201, 110, 300, 200);
        QTest::newRow("first run") << first << first;
        QTest::newRow("one pixel on the left screen") << QRect(-299, -199, 300, 200) << QRect(-299, -199, 300, 200);
        QTest::newRow("on the right screen") << QRect(1100, 300, 300, 200) << QRect(1100, 300, 300, 200);
        QTest::newRow("left of every screen") << QRect(-300, 0, 300, 200) << first;
        QTest::newRow("below the right screen") << QRect(900, 480, 300, 200) << first;
        QTest::newRow("beyond X11's reach") << QRect(40000, 110, 300, 200) << first;
        QTest::newRow("wraps onto the screen") << QRect(65736, 110, 300, 200) << first;
        QTest::newRow("far above") << QRect(201, -100000, 300, 200) << first;
        QTest::newRow("huge on the left screen") << QRect(201, 110, 100000, 100000) << QRect(201, 110, 800, 600);
        QTest::newRow("huge on the right screen") << QRect(900, 10, 2000, 300) << QRect(900, 10, 640, 300);
    }

    void storedPlaceAndSize()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, shown);
        navrik::destroyWindows();
        QFile file(settingsPath());
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Inyou]\r\nFormLeft=%1\r\nFormTop=%2\r\nFormWidth=%3\r\nFormHeight=%4\r\n")
                       .arg(stored.x()).arg(stored.y()).arg(stored.width()).arg(stored.height()).toLatin1());
        file.close();
        navrik::createWindows(*qApp);
        QCOMPARE(MainForm->geometry(), shown);
        MainForm->FormClose();
        const auto saved = [&] {
            const bool opened = file.open(QIODevice::ReadOnly);
            const QByteArray text = opened ? file.readAll() : "(no settings file)";
            file.close();
            return text;
        };
        QByteArray text = saved();
        QVERIFY2(text.contains(QStringLiteral("FormLeft=%1\r\nFormTop=%2\r\n").arg(stored.x()).arg(stored.y()).toLatin1()),
                 text.constData());
        // Moved by the user, the window saves where it now is.
        MainForm->move(shown.topLeft() + QPoint(5, 7));
        MainForm->FormClose();
        text = saved();
        QVERIFY2(text.contains(QStringLiteral("FormLeft=%1\r\nFormTop=%2\r\n").arg(shown.x() + 5).arg(shown.y() + 7).toLatin1()),
                 text.constData());
    }
};

QTEST_MAIN(TestMainFormLayout)
#include "MainFormLayoutTest.moc"
