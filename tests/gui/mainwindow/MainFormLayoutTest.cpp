#include "app/Forms.h"
#include "app/Startup.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/mainwindow/ToolButton.h"
#include "gui/settings/TConfigForm.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

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
    void cleanup() { navrik::destroyWindows(); }

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
};

QTEST_MAIN(TestMainFormLayout)
#include "MainFormLayoutTest.moc"
