#include "app/Forms.h"
#include "app/Startup.h"
#include "mainwindow/TMainForm.h"
#include "mainwindow/ToolButton.h"
#include "settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QtTest>

namespace {

// The window-mode size the settings dialog holds.
void setDialogSize(QSize size)
{
    ConfigForm->FormX->setValue(size.width());
    ConfigForm->FormY->setValue(size.height());
}

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

struct ResizeCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override { return (count += e->type() == QEvent::Resize, false); }
};

} // namespace

class TestMainFormLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { navrik::createWindows(*qApp); }
    void cleanup() { navrik::destroyWindows(); }

    void startUp()
    {
        QCOMPARE(MainForm->geometry(), QRect(201, 110, 300, 200));
        QVERIFY(MainForm->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(MainForm->MainPanel->geometry(), QRect(0, 0, 300, 200));
        const std::pair<QWidget*, QRect> controls[] = {
            {MainForm->IconImg, {2, 2, 32, 32}},      {MainForm->FlagEdit, {40, 15, 57, 19}},
            {MainForm->MailBuff, {2, 36, 294, 160}},  {MainForm->MakeBtn, {102, 7, 49, 21}},
            {MainForm->PasteBtn, {153, 7, 49, 21}},   {MainForm->ConfigBtn, {247, 7, 49, 21}}};
        for (const auto& [w, rect] : controls)
            QCOMPARE(onPanel(w), rect);
        QCOMPARE(onPanel(MainForm->Label1).topLeft(), QPoint(40, 3));
        // The buffer's columns line up: a half-width character has one advance, a full-width one two.
        const QFontMetrics metrics(MainForm->MailBuff->font());
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
        QCOMPARE(metrics.horizontalAdvance(u'あ'), 2 * metrics.horizontalAdvance('W'));
    }

    void focusAndTabOrder()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        QCOMPARE(QApplication::focusWidget(), MainForm->FlagEdit);
        QTest::keyClick(MainForm->FlagEdit, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), MainForm->MailBuff);
        QTest::keyClick(MainForm->MailBuff, Qt::Key_Tab); // types a tab, keeps the focus
        QCOMPARE(QApplication::focusWidget(), MainForm->MailBuff);
        QCOMPARE(MainForm->MailBuff->toPlainText(), "\t");
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

    // Window mode takes the dialog's size, resizing only for a side that changed; the panel
    // and the buffer follow, the buttons stay put.
    void resizeRule()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        const struct {
            bool fromIcon;
            QSize size, buffer;
            int resizes;
        } runs[] = {{false, {500, 200}, {494, 160}, 1}, {false, {500, 250}, {494, 210}, 1},
                    {false, {600, 400}, {594, 360}, 2}, {false, {600, 400}, {594, 360}, 0},
                    {true, {450, 250}, {444, 210}, 2},  {true, {300, 200}, {294, 160}, 2}};
        for (const auto& run : runs) {
            if (run.fromIcon)
                MainForm->FormRedraw(true);
            ResizeCounter counter;
            MainForm->installEventFilter(&counter);
            setDialogSize(run.size);
            MainForm->FormRedraw(false);
            QCOMPARE(counter.count, run.resizes);
            QCOMPARE(MainForm->MainPanel->geometry(), QRect(QPoint(0, 0), run.size));
            QCOMPARE(onPanel(MainForm->MailBuff), QRect(QPoint(2, 36), run.buffer));
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
