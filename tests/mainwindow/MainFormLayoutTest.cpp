#include "app/Forms.h"
#include "app/Startup.h"
#include "mainwindow/TMainForm.h"
#include "mainwindow/ToolButton.h"
#include "settings/TConfigForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

namespace {

QWidget* control(const QString& name)
{
    const QHash<QString, QWidget*> controls{
        {"IconImg", MainForm->IconImg}, {"Label1", MainForm->Label1}, {"FlagEdit", MainForm->FlagEdit},
        {"MailBuff", MainForm->MailBuff}, {"MakeBtn", MainForm->MakeBtn},
        {"PasteBtn", MainForm->PasteBtn}, {"ConfigBtn", MainForm->ConfigBtn}};
    return controls.value(name);
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
    QList<QRect> rects{MainForm->geometry(), MainForm->MainPanel->geometry(),
                       MainForm->MainPanel->contentsRect()};
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

    void controlsAtStartUp_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("caption");
        QTest::newRow("IconImg") << "IconImg" << QRect(2, 2, 32, 32) << "";
        QTest::newRow("Label1") << "Label1" << QRect(40, 3, -1, -1) << "引用符：";
        QTest::newRow("FlagEdit") << "FlagEdit" << QRect(40, 15, 57, 19) << "> ";
        QTest::newRow("MailBuff") << "MailBuff" << QRect(2, 36, 294, 160) << "";
        QTest::newRow("MakeBtn") << "MakeBtn" << QRect(102, 7, 49, 21) << "> 付加";
        QTest::newRow("PasteBtn") << "PasteBtn" << QRect(153, 7, 49, 21) << "▽張付";
        QTest::newRow("ConfigBtn") << "ConfigBtn" << QRect(247, 7, 49, 21) << "設定";
    }

    void controlsAtStartUp()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(QString, caption);
        QWidget* w = control(name);
        QCOMPARE(onPanel(w).topLeft(), rect.topLeft());
        if (rect.isValid())
            QCOMPARE(w->size(), rect.size());
        QCOMPARE(w->font().pixelSize(), 12);
        if (auto* button = qobject_cast<ToolButton*>(w)) {
            QCOMPARE(button->caption(), caption);
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        } else if (auto* label = qobject_cast<QLabel*>(w); label && !caption.isEmpty()) {
            QCOMPARE(label->text(), caption);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(edit->text(), caption);
        }
    }

    void windowAtStartUp()
    {
        QCOMPARE(MainForm->geometry(), QRect(201, 110, 300, 200));
        QVERIFY(MainForm->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!(MainForm->windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(MainForm->windowTitle(), "Navrik");
        QCOMPARE(MainForm->MainPanel->geometry(), QRect(0, 0, 300, 200));
        QCOMPARE(MainForm->MainPanel->frameWidth(), 1);
        // The buffer's columns line up: every half-width character has one advance and a
        // full-width one has two.
        const QFontMetrics metrics(MainForm->MailBuff->font());
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
        QCOMPARE(metrics.horizontalAdvance(u'あ'), 2 * metrics.horizontalAdvance('W'));
        QVERIFY(MainForm->MailBuff->toPlainText().isEmpty());
        QVERIFY(!MainForm->PopupTimer->isActive());
        QCOMPARE(MainForm->PopupTimer->interval(), 800);
        QVERIFY(!ConfigForm->isVisible());
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

    void popupMenu()
    {
        const QList<QAction*> items = MainForm->MainPopup->actions();
        const QStringList captions{"引用符の付加", "", "簡易エディタ不要", "オプション設定",
                                   "最上面に配置", "", "アイコン化", "終了"};
        QCOMPARE(items.size(), captions.size());
        for (int i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i]->isSeparator(), captions[i].isEmpty());
            QCOMPARE(items[i]->text(), captions[i]);
            QCOMPARE(items[i]->isCheckable(), i == 2 || i == 4);
            QVERIFY(!items[i]->isChecked());
        }
        QCOMPARE(items[2], MainForm->AutoPaste);
        QCOMPARE(items[4], MainForm->StayOnTop);
        QCOMPARE(MainForm->Exit1->shortcut().toString(QKeySequence::NativeText), "Alt+F4");
        QVERIFY(MainForm->Exit1->isShortcutVisibleInContextMenu());
    }

    // Icon mode and back, both before the window is first shown and while it is shown.
    void iconModeAndBack_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("hidden") << false;
        QTest::newRow("shown") << true;
    }

    void iconModeAndBack()
    {
        QFETCH(bool, shown);
        if (shown) {
            MainForm->show();
            QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        }
        const QList<QRect> windowMode = layout();
        MainForm->FormRedraw(true);
        QCOMPARE(MainForm->size(), QSize(32, 32));
        QCOMPARE(MainForm->pos(), QPoint(201, 110));
        QCOMPARE(MainForm->MainPanel->frameWidth(), 0);
        QCOMPARE(MainForm->IconImg->mapTo(MainForm, QPoint(0, 0)), QPoint(0, 0));
        QCOMPARE(MainForm->MainPanel->size(), QSize(300, 200));
        QCOMPARE(MainForm->MailBuff->size(), QSize(294, 160));
        QVERIFY(MainForm->AutoPaste->isChecked());
        MainForm->FormRedraw(true);
        QCOMPARE(MainForm->size(), QSize(32, 32));
        MainForm->FormRedraw(false);
        QCOMPARE(layout(), windowMode);
        QVERIFY(!MainForm->AutoPaste->isChecked());
    }

    void sizeFromDialog_data()
    {
        QTest::addColumn<bool>("fromIcon");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("buffer");
        for (bool fromIcon : {false, true}) {
            const char* mode = fromIcon ? "icon" : "window";
            QTest::addRow("%s 600x400", mode) << fromIcon << QSize(600, 400) << QSize(594, 360);
            QTest::addRow("%s 450x250", mode) << fromIcon << QSize(450, 250) << QSize(444, 210);
            QTest::addRow("%s 300x200", mode) << fromIcon << QSize(300, 200) << QSize(294, 160);
        }
    }

    void sizeFromDialog()
    {
        QFETCH(bool, fromIcon);
        QFETCH(QSize, size);
        QFETCH(QSize, buffer);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        if (fromIcon)
            MainForm->FormRedraw(true);
        ConfigForm->FormX->setValue(size.width());
        ConfigForm->FormY->setValue(size.height());
        MainForm->FormRedraw(false);
        QCOMPARE(MainForm->size(), size);
        QCOMPARE(MainForm->MainPanel->geometry(), QRect(QPoint(0, 0), size));
        QCOMPARE(MainForm->MailBuff->size(), buffer);
        QCOMPARE(onPanel(MainForm->MailBuff).topLeft(), QPoint(2, 36));
        QCOMPARE(onPanel(MainForm->ConfigBtn), QRect(247, 7, 49, 21)); // buttons stay put
    }

    void widthOnlyChangeResizesOnce()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        int resizes = 0;
        struct Counter : QObject {
            int* n;
            bool eventFilter(QObject*, QEvent* e) override { *n += e->type() == QEvent::Resize; return false; }
        } counter;
        counter.n = &resizes;
        MainForm->installEventFilter(&counter);
        ConfigForm->FormX->setValue(500);
        MainForm->FormRedraw(false);
        QCOMPARE(resizes, 1);
        QCOMPARE(MainForm->MailBuff->size(), QSize(494, 160));
        QCOMPARE(MainForm->MainPanel->size(), QSize(500, 200));
    }

    // A stored size may have a side of 32 in window mode: the resize rule then leaves
    // the panel and the buffer as they were.
    void sideOf32LeavesPanelAndBuffer()
    {
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
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
