// Mouse events go through the window system, as a user's do: implicit grab and all.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/Error.h"
#include "settings/SpinButton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QtTest>

using navrik::SpinButton;

// Catches a handler's error where the program's event loop does: at the event's dispatch.
class CatchingApplication : public QApplication {
public:
    using QApplication::QApplication;
    int errors = 0;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const navrik::Error&) {
            ++errors;
            return true;
        }
    }
};

class SpinButtonTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(200, 100);
        m_button = new SpinButton(m_window.get());
        m_button->setGeometry(50, 20, 20, 21);
        m_times.clear();
        m_clock.start();
        m_button->OnUpClick = [this](SpinButton* sender) {
            QVERIFY(sender == m_button);
            m_times << m_clock.elapsed();
        };
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // About one second held: repeats at 400, 500, ... 1000 ms, then one click at release.
    void holdingRepeatsThenClicksAtRelease()
    {
        QCOMPARE(m_button->downRect(), QRect(0, 9, 20, 12)); // up half: 20 by 10
        const QPoint up = m_button->upRect().center();
        QTest::mousePress(m_button, Qt::LeftButton, {}, up);
        QTRY_VERIFY_WITH_TIMEOUT(m_times.size() >= 7, 5000);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, up);
        const qsizetype repeats = m_times.size() - 1;
        QVERIFY2(repeats == 7 || repeats == 8, qPrintable(QString::number(repeats)));
        QVERIFY(m_times[0] >= 400 && m_times[6] >= 1000);
        for (qsizetype i = 1; i < repeats; ++i)
            QVERIFY(m_times[i] - m_times[i - 1] >= 100);
        QTest::qWait(250);
        QCOMPARE(m_times.size(), repeats + 1);
    }

    void noClickWithoutALeftReleaseOverTheHalf()
    {
        const QPoint up = m_button->upRect().center();
        const QPoint outside = m_button->mapFrom(m_window.get(), QPoint(150, 80));
        QTest::mouseClick(m_button, Qt::RightButton, {}, up);
        QTest::mousePress(m_button, Qt::LeftButton, {}, up);
        QTest::mouseMove(m_button, outside);
        QTest::qWait(600);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, outside);
        QVERIFY(m_times.isEmpty());
    }

    void failingHandlerStopsTheRepeats()
    {
        auto* app = static_cast<CatchingApplication*>(qApp);
        m_button->OnUpClick = [this](SpinButton*) {
            m_times << m_clock.elapsed();
            throw navrik::Error("no room");
        };
        const QPoint up = m_button->upRect().center();
        QTest::mousePress(m_button, Qt::LeftButton, {}, up);
        QTRY_COMPARE_WITH_TIMEOUT(app->errors, 1, 3000);
        QTest::qWait(350);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, up);
        QCOMPARE(m_times.size(), 1);
    }

    // A handler that shows its own error box takes the activation away: the press ends.
    void losingTheActivationEndsThePress()
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::mousePress(m_button, Qt::LeftButton, {}, m_button->upRect().center());
        QWidget box;
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::qWait(600);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, m_button->upRect().center());
        QVERIFY(m_times.isEmpty());
    }

private:
    std::unique_ptr<QWidget> m_window;
    SpinButton* m_button = nullptr;
    QElapsedTimer m_clock;
    QList<qint64> m_times;
};

int main(int argc, char* argv[])
{
    CatchingApplication app(argc, argv);
    SpinButtonTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SpinButtonTest.moc"
