#include "app/Forms.h"
#include "app/Startup.h"
#include "mainwindow/TMainForm.h"
#include "mainwindow/ToolButton.h"
#include "settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

// The pointer is driven through the platform, as a user would: QCursor::setPos moves it
// (the handlers read QCursor::pos()) and presses go to the window, so Qt's own pointer
// grab and button state are in play.
namespace {

struct Spot {
    QWidget* widget;
    QPoint at;
};

Spot spot(const QString& name)
{
    TMainForm* f = MainForm;
    if (name == "panel") // the bare panel between PasteBtn and ConfigBtn
        return {f->MainPanel, QPoint(220, 15)};
    const QHash<QString, QWidget*> controls{
        {"IconImg", f->IconImg}, {"Label1", f->Label1}, {"FlagEdit", f->FlagEdit},
        {"MailBuff", f->MailBuff->viewport()}, {"MakeBtn", f->MakeBtn},
        {"PasteBtn", f->PasteBtn}, {"ConfigBtn", f->ConfigBtn}};
    return {controls.value(name), QPoint(10, 8)};
}

void moveTo(const Spot& s)
{
    QCursor::setPos(s.widget->mapToGlobal(s.at));
    QCoreApplication::processEvents();
}

void moveBy(QPoint d)
{
    QCursor::setPos(QCursor::pos() + d);
    QCoreApplication::processEvents();
}

void button(QTest::MouseAction action, Qt::MouseButton b = Qt::LeftButton)
{
    QWindow* window = MainForm->windowHandle();
    QTest::mouseEvent(action, window, b, {}, window->mapFromGlobal(QCursor::pos()));
}

bool otherMenuShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMenu*>(w) && w != MainForm->MainPopup && w->isVisible())
            return true;
    return false;
}

} // namespace

class TestMainFormPointer : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QCursor::setPos(5, 5); // off the window
        navrik::createWindows(*qApp);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
    }

    void cleanup()
    {
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            if (QGuiApplication::mouseButtons() & b) // left held by a failed case
                button(QTest::MouseRelease, b);
        MainForm->MainPopup->hide();
        navrik::destroyWindows();
    }

    void hoverHighlightsOneButton()
    {
        const QList<std::pair<QString, int>> path{
            {"MakeBtn", 1}, {"PasteBtn", 2}, {"ConfigBtn", 3}, {"panel", 0}, {"ConfigBtn", 3},
            {"FlagEdit", 0}, {"MakeBtn", 1}, {"MailBuff", 0}, {"PasteBtn", 2}, {"Label1", 0},
            {"ConfigBtn", 3}, {"MakeBtn", 1}, {"IconImg", 0}};
        const ToolButton* buttons[] = {MainForm->MakeBtn, MainForm->PasteBtn, MainForm->ConfigBtn};
        for (const auto& [name, state] : path) {
            moveTo(spot(name));
            QCOMPARE(MainForm->hoverState(), state);
            for (int n = 1; n <= 3; ++n)
                QCOMPARE(buttons[n - 1]->isHighlighted(), n == state);
        }
    }

    void dragMovesWindow_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("iconMode");
        QTest::addColumn<bool>("moves");
        for (const char* name : {"panel", "IconImg", "Label1"})
            QTest::newRow(name) << name << false << true;
        QTest::newRow("IconImg in icon mode") << "IconImg" << true << true;
        for (const char* name : {"MakeBtn", "FlagEdit", "MailBuff"})
            QTest::newRow(name) << name << false << false;
    }

    void dragMovesWindow()
    {
        QFETCH(QString, source);
        QFETCH(bool, iconMode);
        QFETCH(bool, moves);
        if (iconMode)
            MainForm->FormRedraw(true);
        const QPoint start = MainForm->pos();
        moveTo(spot(source));
        button(QTest::MousePress);
        QCOMPARE(MainForm->isDragging(), moves);
        QPoint travel;
        for (QPoint step : {QPoint(12, 5), QPoint(9, -3), QPoint(-5, 14)}) { // within 32 by 32
            moveBy(step);
            travel += step;
            QCOMPARE(MainForm->pos(), moves ? start + travel : start);
            QVERIFY(!MainForm->PopupTimer->isActive()); // not even over the icon
        }
        button(QTest::MouseRelease);
        QVERIFY(!MainForm->isDragging());
        moveBy(QPoint(9, 9));
        QCOMPARE(MainForm->pos(), moves ? start + travel : start);
    }

    void restingOnIconOpensPopup()
    {
        QElapsedTimer clock;
        clock.start();
        moveTo(spot("IconImg"));
        QVERIFY(MainForm->PopupTimer->isActive());
        QTest::qWait(300);
        moveBy(QPoint(2, 2)); // moving about on the icon does not restart the period
        QVERIFY(MainForm->PopupTimer->remainingTime() < 700);
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->MainPopup->isVisible(), 5000);
        QVERIFY(clock.elapsed() >= 700);
        QCOMPARE(MainForm->MainPopup->pos(), QCursor::pos());
        QVERIFY(!MainForm->PopupTimer->isActive());
    }

    void movedOnOpensNothing()
    {
        moveTo(spot("IconImg"));
        moveTo(spot("MakeBtn"));
        button(QTest::MousePress); // a tool button leaves the timer running
        QVERIFY(MainForm->PopupTimer->isActive());
        QVERIFY(!MainForm->isDragging());
        moveTo(spot("panel"));
        button(QTest::MouseRelease);
        QTRY_VERIFY_WITH_TIMEOUT(!MainForm->PopupTimer->isActive(), 5000);
        QCoreApplication::processEvents();
        QVERIFY(!MainForm->MainPopup->isVisible());

        moveTo(spot("IconImg")); // a new period
        QVERIFY(MainForm->PopupTimer->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->MainPopup->isVisible(), 5000);
    }

    // Any press on the icon, the panel or the label stops the hover timer; a press on
    // the other controls leaves it running. A right click anywhere opens MainPopup, and
    // no edit menu, at the release point.
    void pressStopsTimer_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Qt::MouseButton>("pressed");
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            QTest::addRow("IconImg %d", int(b)) << "IconImg" << b;
        QTest::newRow("Label1 right") << "Label1" << Qt::RightButton;
        QTest::newRow("panel right") << "panel" << Qt::RightButton;
        for (const char* name : {"FlagEdit", "MailBuff", "MakeBtn"}) {
            QTest::addRow("%s left", name) << name << Qt::LeftButton;
            QTest::addRow("%s right", name) << name << Qt::RightButton;
        }
    }

    void pressStopsTimer()
    {
        QFETCH(QString, target);
        QFETCH(Qt::MouseButton, pressed);
        const bool surface = target == "IconImg" || target == "Label1" || target == "panel";
        moveTo(spot("IconImg"));
        moveTo(spot(target));
        QVERIFY(MainForm->PopupTimer->isActive());
        button(QTest::MousePress, pressed);
        QCOMPARE(MainForm->PopupTimer->isActive(), !surface);
        QCOMPARE(MainForm->isDragging(), surface && pressed == Qt::LeftButton);
        button(QTest::MouseRelease, pressed);
        QVERIFY(!MainForm->isDragging());
        QCOMPARE(MainForm->MainPopup->isVisible(), pressed == Qt::RightButton);
        if (pressed == Qt::RightButton)
            QCOMPARE(MainForm->MainPopup->pos(), QCursor::pos());
        QVERIFY(!otherMenuShown());
    }

    void doubleClickOnIconRunsNoCommand()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("mail"));
        moveTo(spot("IconImg"));
        button(QTest::MouseDClick);
        QVERIFY(!MainForm->isDragging());
        QVERIFY(MainForm->MailBuff->toPlainText().isEmpty());
    }

    void autoPasteTwiceReturns()
    {
        const QRect start = MainForm->geometry();
        MainForm->AutoPaste->trigger();
        QCOMPARE(MainForm->size(), QSize(32, 32));
        QVERIFY(ConfigForm->AutoPaste->isChecked());
        MainForm->AutoPaste->trigger();
        QCOMPARE(MainForm->geometry(), start);
        QCOMPARE(MainForm->MailBuff->size(), QSize(294, 160));
        QVERIFY(!MainForm->AutoPaste->isChecked());
        QVERIFY(!ConfigForm->AutoPaste->isChecked());
    }

    // The menu item and the dialog's check box both toggle the layer; only the item
    // keeps its check mark in step with it.
    void stayOnTopToggles_data()
    {
        QTest::addColumn<bool>("fromDialog");
        QTest::addColumn<bool>("iconMode");
        QTest::newRow("menu") << false << false;
        QTest::newRow("menu, icon mode") << false << true;
        QTest::newRow("dialog") << true << false;
    }

    void stayOnTopToggles()
    {
        QFETCH(bool, fromDialog);
        QFETCH(bool, iconMode);
        if (iconMode)
            MainForm->FormRedraw(true);
        const QRect geometry = MainForm->geometry();
        MainForm->FlagEdit->setText(QStringLiteral("| "));
        for (bool onTop : {true, false}) {
            if (fromDialog)
                ConfigForm->StayOnTop->click();
            else
                MainForm->StayOnTop->trigger();
            QCOMPARE(bool(MainForm->windowFlags() & Qt::WindowStaysOnTopHint), onTop);
            QCOMPARE(MainForm->StayOnTop->isChecked(), onTop);
            QCOMPARE(ConfigForm->StayOnTop->isChecked(), fromDialog && onTop);
            QVERIFY(MainForm->isVisible());
            QVERIFY(QTest::qWaitForWindowExposed(MainForm));
            QCOMPARE(MainForm->geometry(), geometry);
            QCOMPARE(MainForm->FlagEdit->text(), "| ");
        }
    }
};

QTEST_MAIN(TestMainFormPointer)
#include "MainFormPointerTest.moc"
