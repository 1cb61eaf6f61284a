// Mouse events go through the window system, as a user's do: implicit grab and all.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/Error.h"
#include "settings/SpinButton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QtTest>

using navrik::SpinButton;

namespace {

// Catches a handler's error the way the program's event loop does: at the event's dispatch.
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

} // namespace

class SpinButtonTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void halvesShareOneRow();
    void pressAndReleaseClicksOnce();
    void holdingRepeatsThenClicksAtRelease();
    void movingOffAndReleasingOutsideGivesNoClick();
    void rightButtonGivesNoClick();
    void failingHandlerStopsTheRepeats();

private:
    void record(const char* half);

    std::unique_ptr<QWidget> m_window;
    SpinButton* m_button = nullptr;
    QElapsedTimer m_clock;
    QStringList m_clicks;
    QList<qint64> m_times;
};

void SpinButtonTest::record(const char* half)
{
    m_clicks << QString::fromLatin1(half);
    m_times << m_clock.elapsed();
}

void SpinButtonTest::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(200, 100);
    m_button = new SpinButton(m_window.get());
    m_button->setGeometry(50, 20, 20, 21);
    m_button->OnUpClick = [this](SpinButton* sender) {
        QCOMPARE(sender, m_button);
        record("up");
    };
    m_button->OnDownClick = [this](SpinButton*) { record("down"); };
    m_clicks.clear();
    m_times.clear();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void SpinButtonTest::cleanup()
{
    m_window.reset();
}

void SpinButtonTest::halvesShareOneRow()
{
    QCOMPARE(m_button->upRect(), QRect(0, 0, 20, 10));
    QCOMPARE(m_button->downRect(), QRect(0, 9, 20, 12));
    QVERIFY(!m_button->UpGlyph().isNull());
    QCOMPARE(m_button->DownGlyph().size(), QSize(9, 6));
    m_button->resize(10, 21);
    QCOMPARE(m_button->width(), 15);
}

void SpinButtonTest::pressAndReleaseClicksOnce()
{
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(10, 9)); // the shared row
    QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(10, 2));
    QCOMPARE(m_clicks, QStringList({"down", "up"}));
}

void SpinButtonTest::holdingRepeatsThenClicksAtRelease()
{
    const QPoint up = m_button->upRect().center();
    m_clock.start();
    QTest::mousePress(m_button, Qt::LeftButton, {}, up);
    QTRY_VERIFY_WITH_TIMEOUT(m_clicks.size() >= 7, 5000);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, up);
    const qsizetype repeats = m_times.size() - 1;
    QVERIFY2(repeats == 7 || repeats == 8, qPrintable(QString::number(repeats)));
    QCOMPARE(m_clicks, QStringList(repeats + 1, QStringLiteral("up")));
    QVERIFY(m_times[0] >= 400);
    for (qsizetype i = 1; i < repeats; ++i)
        QVERIFY(m_times[i] - m_times[i - 1] >= 100);
    QVERIFY(m_times[6] >= 1000);
    QTest::qWait(250);
    QCOMPARE(m_clicks.size(), repeats + 1);
}

void SpinButtonTest::movingOffAndReleasingOutsideGivesNoClick()
{
    const QPoint outside = m_button->mapFrom(m_window.get(), QPoint(150, 80));
    QTest::mousePress(m_button, Qt::LeftButton, {}, m_button->downRect().center());
    QTest::mouseMove(m_button, outside);
    QTest::qWait(600);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, outside);
    QTest::qWait(150);
    QVERIFY(m_clicks.isEmpty());
}

void SpinButtonTest::rightButtonGivesNoClick()
{
    QTest::mousePress(m_button, Qt::RightButton, {}, m_button->upRect().center());
    QTest::qWait(600);
    QTest::mouseRelease(m_button, Qt::RightButton, {}, m_button->upRect().center());
    QVERIFY(m_clicks.isEmpty());
}

void SpinButtonTest::failingHandlerStopsTheRepeats()
{
    auto* app = static_cast<CatchingApplication*>(qApp);
    app->errors = 0;
    m_button->OnUpClick = [this](SpinButton*) {
        record("up");
        throw navrik::Error("no room");
    };
    const QPoint up = m_button->upRect().center();
    QTest::mousePress(m_button, Qt::LeftButton, {}, up);
    QTRY_COMPARE_WITH_TIMEOUT(app->errors, 1, 3000);
    QTest::qWait(350);
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, up);
    QCOMPARE(m_clicks.size(), 1);
    QCOMPARE(app->errors, 1);
}

int main(int argc, char* argv[])
{
    CatchingApplication app(argc, argv);
    SpinButtonTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SpinButtonTest.moc"
