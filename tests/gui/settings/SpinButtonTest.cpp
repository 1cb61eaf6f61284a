// SPDX-License-Identifier: MIT
// Mouse events go through the window system, as a user's do: implicit grab and all.
#define QTEST_QPA_MOUSE_HANDLING

#include "gui/settings/SpinButton.h"

#include <QtWidgets>
#include <QtTest>

using navrik::SpinButton;

class SpinButtonTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(200, 100);
        m_button = new SpinButton(m_window.get());
        m_button->setGeometry(50, 20, 20, 21);
        m_up = m_button->upRect().center();
        m_times.clear();
        m_clock.start();
        connect(m_button, &SpinButton::upClicked, this, [this] { m_times << m_clock.elapsed(); });
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    // About one second held: repeats at 400, 500, ... 1000 ms, then one click at release.
    void holdingRepeatsThenClicksAtRelease()
    {
        QCOMPARE(m_button->downRect(), QRect(0, 9, 20, 12)); // up half: 20 by 10
        QTest::mousePress(m_button, Qt::LeftButton, {}, m_up);
        QTRY_VERIFY_WITH_TIMEOUT(m_times.size() >= 7, 5000);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, m_up);
        const qsizetype repeats = m_times.size() - 1;
        QVERIFY2(repeats == 7 || repeats == 8, qPrintable(QString::number(repeats)));
        QVERIFY(m_times[0] >= 400 && m_times[6] >= 1000);
        QTest::qWait(250);
        QCOMPARE(m_times.size(), repeats + 1);
    }

    // No click from the right button, a press released off the half, or a press whose window
    // loses the activation (a handler's error box takes it), nor any repeat meanwhile.
    void noClickWithoutALeftReleaseOverTheHalf()
    {
        QTest::mousePress(m_button, Qt::RightButton, {}, m_up);
        QTest::qWait(600);
        QTest::mouseRelease(m_button, Qt::RightButton, {}, m_up);
        const QPoint outside = m_button->mapFrom(m_window.get(), QPoint(150, 80));
        QTest::mousePress(m_button, Qt::LeftButton, {}, m_up);
        QTest::mouseMove(m_button, outside);
        QTest::qWait(600);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, outside);
        QTest::mousePress(m_button, Qt::LeftButton, {}, m_up);
        QWidget box;
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::qWait(600);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, m_up);
        QVERIFY(m_times.isEmpty());
    }

private:
    std::unique_ptr<QWidget> m_window;
    SpinButton* m_button = nullptr;
    QPoint m_up;
    QElapsedTimer m_clock;
    QList<qint64> m_times;
};

QTEST_MAIN(SpinButtonTest)
#include "SpinButtonTest.moc"
