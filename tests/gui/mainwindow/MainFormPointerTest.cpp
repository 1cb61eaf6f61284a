#include "app/Forms.h"
#include "app/Startup.h"
#include "gui/mainwindow/TMainForm.h"
#include "gui/mainwindow/ToolButton.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

// The pointer is driven through the platform, as a user would: QCursor::setPos moves it and
// presses go to the window, so Qt's own pointer grab and button state are in play.
namespace {

// Puts the pointer on a control ("panel": the bare panel between PasteBtn and ConfigBtn).
void moveTo(const QString& name, QPoint by = {})
{
    TMainForm* f = MainForm;
    const QHash<QString, QWidget*> controls{
        {"panel", f->MainPanel}, {"IconImg", f->IconImg}, {"Label1", f->Label1},
        {"FlagEdit", f->FlagEdit}, {"MailBuff", f->MailBuff->viewport()}, {"MakeBtn", f->MakeBtn},
        {"PasteBtn", f->PasteBtn}, {"ConfigBtn", f->ConfigBtn}};
    const QWidget* w = controls.value(name);
    QCursor::setPos((w ? w->mapToGlobal(name == "panel" ? QPoint(220, 15) : QPoint(10, 8)) : QCursor::pos()) + by);
    QCoreApplication::processEvents();
}

void moveBy(QPoint d) { moveTo({}, d); }

void button(QTest::MouseAction action, Qt::MouseButton b = Qt::LeftButton)
{
    QWindow* window = MainForm->windowHandle();
    QTest::mouseEvent(action, window, b, {}, window->mapFromGlobal(QCursor::pos()));
}

// A left press on these drags the window; any press on them stops the hover timer.
bool isSurface(const QString& name) { return name == "panel" || name == "IconImg" || name == "Label1"; }

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
        if (const Qt::MouseButtons held = QGuiApplication::mouseButtons()) // by a failed case
            button(QTest::MouseRelease, Qt::MouseButton(held.toInt()));
        MainForm->MainPopup->hide();
        navrik::destroyWindows();
    }

    void hoverHighlightsOneButton()
    {
        const ToolButton* buttons[] = {MainForm->MakeBtn, MainForm->PasteBtn, MainForm->ConfigBtn};
        for (const char* name : {"MakeBtn", "PasteBtn", "ConfigBtn", "panel", "ConfigBtn", "FlagEdit", "MakeBtn",
                                 "MailBuff", "PasteBtn", "Label1", "ConfigBtn", "MakeBtn", "IconImg"}) {
            moveTo(name);
            const int state = int(QStringList{"MakeBtn", "PasteBtn", "ConfigBtn"}.indexOf(name)) + 1;
            QCOMPARE(MainForm->hoverState(), state);
            for (int n = 1; n <= 3; ++n)
                QCOMPARE(buttons[n - 1]->isHighlighted(), n == state);
        }
    }

    // Resting on the icon opens MainPopup at the pointer after the hover period; moving
    // on before it ends opens nothing.
    void hoverPopup()
    {
        moveTo("IconImg");
        moveTo("panel");
        QTRY_VERIFY_WITH_TIMEOUT(!MainForm->PopupTimer->isActive(), 5000);
        QVERIFY(!MainForm->MainPopup->isVisible());

        moveTo("IconImg"); // a new period
        QVERIFY(MainForm->PopupTimer->isActive());
        QTest::qWait(300);
        moveBy(QPoint(2, 2)); // moving about on the icon does not restart the period
        QVERIFY(MainForm->PopupTimer->remainingTime() < 700);
        QTRY_VERIFY_WITH_TIMEOUT(MainForm->MainPopup->isVisible(), 5000);
        QCOMPARE(MainForm->MainPopup->pos(), QCursor::pos());
    }

    // A left press on a drag surface moves the window by the pointer's travel until the release.
    // Any press there stops the hover timer, elsewhere not. A right click opens only MainPopup.
    void press_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Qt::MouseButton>("pressed");
        for (const char* name : {"IconImg", "Label1", "panel", "FlagEdit", "MailBuff", "MakeBtn"}) {
            QTest::addRow("%s left", name) << name << Qt::LeftButton;
            QTest::addRow("%s right", name) << name << Qt::RightButton;
        }
    }

    void press()
    {
        QFETCH(QString, target);
        QFETCH(Qt::MouseButton, pressed);
        const bool drags = isSurface(target) && pressed == Qt::LeftButton;
        moveTo("IconImg");
        moveTo(target);
        QVERIFY(MainForm->PopupTimer->isActive());
        const QPoint start = MainForm->pos();
        button(QTest::MousePress, pressed);
        QCOMPARE(MainForm->PopupTimer->isActive(), !isSurface(target));
        QCOMPARE(MainForm->isDragging(), drags);
        QPoint travel;
        for (QPoint step : {QPoint(12, 5), QPoint(9, -3), QPoint(-5, 14)}) {
            moveBy(step);
            travel += step;
            QCOMPARE(MainForm->pos(), drags ? start + travel : start);
            QVERIFY(!drags || !MainForm->PopupTimer->isActive()); // not even over the icon
        }
        button(QTest::MouseRelease, pressed);
        QVERIFY(!MainForm->isDragging());
        QCOMPARE(MainForm->MainPopup->isVisible(), pressed == Qt::RightButton);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QMenu*>(w) || w == MainForm->MainPopup || !w->isVisible());
        moveBy(QPoint(9, 9));
        QCOMPARE(MainForm->pos(), drags ? start + travel : start);
    }

    void doubleClickOnIconRunsNoCommand()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("mail"));
        moveTo("IconImg");
        button(QTest::MouseDClick);
        QVERIFY(MainForm->MailBuff->toPlainText().isEmpty());
    }
};

QTEST_MAIN(TestMainFormPointer)
#include "MainFormPointerTest.moc"
