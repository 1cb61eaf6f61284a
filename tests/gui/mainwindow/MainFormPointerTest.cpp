// SPDX-License-Identifier: MIT
#include "gui/mainwindow/ToolButton.h"
#include "gui/settings/SpinField.h"
#include "support/ProgramWindows.h"

// The pointer moves through QCursor::setPos and presses go to the window: Qt's grab is in play.
using navrik::test::control;

namespace {

QMenu* popup() { return control<QMenu>(MainForm, "MainPopup"); }
QTimer* popupTimer() { return control<QTimer>(MainForm, "PopupTimer"); }
QPlainTextEdit* buffer() { return control<QPlainTextEdit>(MainForm, "MailBuff"); }

// Puts the pointer on a control ("panel": the bare panel between PasteBtn and ConfigBtn).
void moveTo(const QString& name, QPoint by = {})
{
    const QHash<QString, QWidget*> parts{{"panel", control(MainForm, "MainPanel")}, {"MailBuff", buffer()->viewport()},
                                         {"VScrollBar", buffer()->verticalScrollBar()},
                                         {"HScrollBar", buffer()->horizontalScrollBar()}};
    const QWidget* w = name.isEmpty()        ? nullptr
                       : parts.contains(name) ? parts[name]
                                              : control(MainForm, qPrintable(name));
    QCursor::setPos((w ? w->mapToGlobal(name == "panel" ? QPoint(220, 15) : QPoint(10, 8)) : QCursor::pos()) + by);
    QCoreApplication::processEvents();
}

void moveBy(QPoint d) { moveTo({}, d); }
void button(QTest::MouseAction action, Qt::MouseButton b = Qt::LeftButton)
{
    QTest::mouseEvent(action, MainForm->windowHandle(), b, {}, MainForm->windowHandle()->mapFromGlobal(QCursor::pos()));
}

// A left press on these drags the window; any press on them stops the hover timer.
bool isSurface(const QString& name) { return name == "panel" || name == "IconImg" || name == "Label1"; }

// Closes any menu but MainPopup at once (a scroll bar's would hold the test) and remembers it showed.
struct ForeignMenuWatch : QTimer {
    bool seen = false;
    bool check()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMenu*>(w) && w->isVisible() && (!MainForm || w != popup()))
                seen = w->close() || seen;
        return !seen;
    }
    ForeignMenuWatch() { connect(this, &QTimer::timeout, [this] { check(); }), start(50); }
};

} // namespace

class TestMainFormPointer : public QObject {
    Q_OBJECT

    std::unique_ptr<ForeignMenuWatch> m_menus;
    bool onlyMainPopupShown() { return m_menus->check(); }

private slots:
    void init()
    {
        m_menus = std::make_unique<ForeignMenuWatch>();
        QCursor::setPos(5, 5); // off the window
        navrik::createWindows(*qApp);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
    }

    void cleanup()
    {
        if (const Qt::MouseButtons held = QGuiApplication::mouseButtons()) // by a failed case
            button(QTest::MouseRelease, Qt::MouseButton(held.toInt()));
        popup()->hide();
        navrik::destroyWindows();
        QVERIFY2(!m_menus->seen, "a menu other than MainPopup showed");
    }

    void hoverHighlightsOneButton()
    {
        const QStringList buttons{"MakeBtn", "PasteBtn", "ConfigBtn"};
        for (const char* name : {"MakeBtn", "PasteBtn", "ConfigBtn", "panel", "ConfigBtn", "FlagEdit", "MakeBtn",
                                 "MailBuff", "PasteBtn", "Label1", "ConfigBtn", "MakeBtn", "IconImg"}) {
            moveTo(name);
            QCOMPARE(MainForm->hoverState(), buttons.indexOf(name) + 1);
            for (const QString& b : buttons)
                QCOMPARE(control<ToolButton>(MainForm, qPrintable(b))->isHighlighted(), b == name);
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("mail")); // a double click on the icon runs no command
        button(QTest::MouseDClick);
        QVERIFY(buffer()->toPlainText().isEmpty());
    }

    // Resting on the icon opens MainPopup after the hover period; moving on before it ends opens nothing.
    void hoverPopup()
    {
        moveTo("IconImg");
        moveTo("panel");
        QTRY_VERIFY_WITH_TIMEOUT(!popupTimer()->isActive(), 5000);
        QVERIFY(!popup()->isVisible());

        moveTo("IconImg"); // a new period
        QVERIFY(popupTimer()->isActive());
        QTest::qWait(300);
        moveBy(QPoint(2, 2)); // moving about on the icon does not restart the period
        QVERIFY(popupTimer()->remainingTime() < 700);
        QTRY_VERIFY_WITH_TIMEOUT(popup()->isVisible(), 5000); // at the pointer: test_windows.sh
    }

    // A left press on a drag surface drags the window; any press there stops the hover timer. Right: MainPopup.
    void press_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<Qt::MouseButton>("pressed");
        for (const char* name : {"IconImg", "Label1", "panel", "FlagEdit", "MailBuff", "MakeBtn", "VScrollBar", "HScrollBar"}) {
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
        QVERIFY(popupTimer()->isActive());
        const QPoint start = MainForm->pos();
        button(QTest::MousePress, pressed);
        QCOMPARE(popupTimer()->isActive(), !isSurface(target));
        QCOMPARE(MainForm->isDragging(), drags);
        QPoint travel;
        for (QPoint step : {QPoint(12, 5), QPoint(9, -3), QPoint(-5, 14)}) {
            moveBy(step);
            travel += step;
            QCOMPARE(MainForm->pos(), drags ? start + travel : start);
            QVERIFY(!drags || !popupTimer()->isActive()); // not even over the icon
        }
        button(QTest::MouseRelease, pressed);
        QVERIFY(!MainForm->isDragging() && onlyMainPopupShown());
        QCOMPARE(popup()->isVisible(), pressed == Qt::RightButton);
        moveBy(QPoint(9, 9));
        QCOMPARE(MainForm->pos(), drags ? start + travel : start);
    }

    // Re-making the window for stay-on-top, the pointer resting on the icon, does not reopen the hover menu.
    void stayOnTopDoesNotRestartTheHoverPeriod()
    {
        MainForm->FormRedraw(true);
        moveTo("IconImg");
        QTRY_VERIFY_WITH_TIMEOUT(popup()->isVisible(), 5000);
        QLabel* hint = control<QLabel>(MainForm, "MenuHint"); // says how the menu opens, the first time only
        QVERIFY(hint->isVisible() && hint->text().contains("引用符の付加"));
        for (int toggle = 0; toggle < 2; ++toggle) {
            popup()->hide();
            control<QAction>(MainForm, "StayOnTop")->trigger();
            QVERIFY(QTest::qWaitForWindowExposed(MainForm));
            // What Qt sends the control under the pointer when the window appears anew.
            const QPoint at = QCursor::pos();
            QWidget* icon = control(MainForm, "IconImg");
            QMouseEvent still(QEvent::MouseMove, icon->mapFromGlobal(at), MainForm->mapFromGlobal(at), at, Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(icon, &still);
            QTest::qWait(1000);
            QVERIFY(!popupTimer()->isActive() && !popup()->isVisible());
        }
        moveBy(QPoint(1, 0)); // a real movement starts the period again
        QTRY_VERIFY_WITH_TIMEOUT(popup()->isVisible(), 5000);
        QVERIFY(!hint->isVisible());
    }

    // The Menu key and Shift+F10 open MainPopup (first item selected) at the focused edit, no edit menu.
    void menuKeysOpenMainPopup()
    {
        buffer()->setPlainText("line\nline");
        for (QWidget* edit : {control(MainForm, "FlagEdit"), static_cast<QWidget*>(buffer())}) {
            for (auto [key, modifiers] : {std::pair{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}}) {
                edit->setFocus();
                QTest::keyClick(edit, key, modifiers);
                QTRY_VERIFY(popup()->isVisible());
                QVERIFY(onlyMainPopupShown() && QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(popup()->pos()));
                QCOMPARE(popup()->activeAction(), control<QAction>(MainForm, "K1"));
                popup()->hide();
            }
        }
        QCOMPARE(control<QLineEdit>(MainForm, "FlagEdit")->text(), "> ");
        QCOMPARE(buffer()->toPlainText(), "line\nline");
    }

    // A spin field of the settings dialog shows no menu at all, from the pointer or the keys.
    void spinFieldShowsNoMenu()
    {
        ConfigForm->show();
        QWidget* field = control(ConfigForm, "FormX");
        QVERIFY(QTest::qWaitForWindowExposed(ConfigForm) && field->isEnabled());
        for (auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
            QContextMenuEvent request(reason, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(field, &request);
            QVERIFY(onlyMainPopupShown() && !popup()->isVisible());
        }
    }
};

QTEST_MAIN(TestMainFormPointer)
#include "MainFormPointerTest.moc"
