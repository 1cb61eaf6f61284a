// SPDX-License-Identifier: MIT
#include "gui/ProgramIcon.h"
#include "gui/settings/SpinField.h"
#include "support/ProgramWindows.h"

using navrik::test::control;

namespace {

QFrame* panel() { return control<QFrame>(MainForm, "MainPanel"); }
bool shown(QWidget* w) { return w->show(), QTest::qWaitForWindowExposed(w); }

// Everything the mode switch and the resize rule may touch, in window coordinates.
QList<QRect> layout()
{
    QList<QRect> rects{MainForm->geometry(), panel()->geometry(), panel()->contentsRect()};
    for (QWidget* w : panel()->findChildren<QWidget*>())
        rects << QRect(w->mapTo(MainForm, QPoint(0, 0)), w->size());
    return rects;
}

} // namespace

class TestMainFormLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { navrik::createWindows(*qApp); }
    void cleanup() { navrik::destroyWindows(), std::filesystem::remove(navrik::settingsFilePath()); }

    // Icon mode keeps the window's place and the panel behind the icon; back in window mode all is as it was.
    void iconModeAndBack()
    {
        for (bool visible : {false, true}) {
            QVERIFY(!visible || shown(MainForm));
            const QList<QRect> windowMode = layout();
            MainForm->FormRedraw(true);
            QCOMPARE(MainForm->geometry(), QRect(201, 110, 32, 32));
            QVERIFY(control(MainForm, "IconImg")->mapTo(MainForm, QPoint(0, 0)).isNull() && panel()->size() == QSize(300, 200));
            QVERIFY(control<QAction>(MainForm, "AutoPaste")->isChecked());
            MainForm->FormRedraw(false);
            QCOMPARE(layout(), windowMode);
            QVERIFY(!control<QAction>(MainForm, "AutoPaste")->isChecked());
        }
    }

    // The quote mark stays readable: black on a light (or mid grey) field, else the palette's text colour.
    void quoteMarkReadableOnAnyPalette()
    {
        for (const auto& [base, text, expected] : {std::tuple{QColor(Qt::white), QColor(Qt::darkBlue), QColor(Qt::black)},
                                                   {QColor(160, 160, 160), QColor(Qt::white), QColor(Qt::black)},
                                                   {QColor(0, 0, 160), QColor(Qt::yellow), QColor(Qt::yellow)}}) {
            navrik::destroyWindows();
            const QPalette original = QApplication::palette();
            QPalette palette = original;
            palette.setColor(QPalette::Base, base), palette.setColor(QPalette::Text, text);
            QApplication::setPalette(palette);
            navrik::createWindows(*qApp);
            QApplication::setPalette(original);
            auto* field = control<QLineEdit>(MainForm, "FlagEdit");
            field->setText(QStringLiteral("■■■"));
            const QImage image = field->grab().toImage();
            QCOMPARE(image.pixelColor(image.width() - 4, image.height() / 2), base);
            QCOMPARE(image.pixelColor(8, image.height() / 2), expected); // inside the first square
        }
    }

    // A stored place is pulled onto the window's screen (off all: the first-run place), the size cut to it.
    void storedPlaceAndSize_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("shown");
        const QRect first(201, 110, 300, 200);
        QTest::newRow("one pixel on the left screen") << QRect(-299, -199, 300, 200) << QRect(0, 0, 300, 200);
        QTest::newRow("off the right screen's foot") << QRect(1100, 300, 300, 200) << QRect(1100, 280, 300, 200);
        QTest::newRow("mostly on the right screen") << QRect(700, 100, 300, 200) << QRect(800, 100, 300, 200);
        QTest::newRow("left of every screen") << QRect(-300, 0, 300, 200) << first;
        QTest::newRow("below the right screen") << QRect(900, 480, 300, 200) << first;
        QTest::newRow("wraps onto the screen in X11") << QRect(65736, 110, 300, 200) << first;
        QTest::newRow("huge on the left screen") << QRect(201, 110, 100000, 100000) << QRect(0, 0, 800, 600);
        QTest::newRow("huge on the right screen") << QRect(900, 10, 2000, 300) << QRect(800, 10, 640, 300);
    }

    // A size cut to the screen moves the window to fit; the dialog opens centred on the window's screen.
    void sizeAndDialogOnTheWindowsScreen()
    {
        QVERIFY(shown(MainForm));
        MainForm->move(1000, 300);
        control<navrik::SpinField>(ConfigForm, "FormX")->setValue(600);
        control<navrik::SpinField>(ConfigForm, "FormY")->setValue(400);
        MainForm->FormRedraw(false);
        QCOMPARE(MainForm->geometry(), QRect(840, 80, 600, 400));
        QRect shown;
        QTimer::singleShot(0, ConfigForm, [&] { shown = ConfigForm->frameGeometry(), ConfigForm->close(); });
        control<QAction>(MainForm, "K3")->trigger();
        QCOMPARE(shown.center(), QRect(800, 0, 640, 480).center());
    }

    // At twice the scale each pixel of the 32 by 32 icon is a sharp 2 by 2 block, not a blur.
    void iconSharpWhenScaled()
    {
        const QImage one = navrik::programIcon().pixmap(QSize(32, 32), 1.0).toImage();
        QImage two = navrik::programIcon().pixmap(QSize(32, 32), 2.0).toImage();
        two.setDevicePixelRatio(1);
        QCOMPARE(two, one.scaled(64, 64).convertToFormat(two.format()));
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
