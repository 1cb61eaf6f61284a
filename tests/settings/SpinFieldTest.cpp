#include "app/Fonts.h"
#include "settings/SpinButton.h"
#include "settings/SpinField.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>
#include <QtTest>

using navrik::SpinField;

namespace {

int s_beeps = 0;
void countBeep()
{
    ++s_beeps;
}

} // namespace

class SpinFieldTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typingKeepsDigitsSignsAndSeparator_data();
    void typingKeepsDigitsSignsAndSeparator();
    void pastedLettersStayAndReadMinValue();
    void leavingClampsANumber_data();
    void leavingClampsANumber();
    void switchingWindowsKeepsTheText();
    void focusInSelectsAllExceptByMouse();
    void arrowKeysStep();
    void builtInButtonStepsAndFocusesTheField();
    void sizes();

private:
    std::unique_ptr<QWidget> m_window;
    SpinField* m_field = nullptr;
    QLineEdit* m_other = nullptr;
};

void SpinFieldTest::init()
{
    s_beeps = 0;
    SpinField::setBeepFunction(countBeep);
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_field = new SpinField;
    m_other = new QLineEdit;
    layout->addWidget(m_field);
    layout->addWidget(m_other);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_field->setFocus(Qt::MouseFocusReason);
}

void SpinFieldTest::cleanup()
{
    m_window.reset();
    QLocale::setDefault(QLocale::c());
}

void SpinFieldTest::typingKeepsDigitsSignsAndSeparator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::newRow("digits, signs, separator anywhere") << "C" << "1-2+3.4" << "1-2+3.4" << 0;
    QTest::newRow("letters and a blank") << "C" << "7a b" << "7" << 3;
    QTest::newRow("full-width digit") << "C" << "１2" << "2" << 1;
    QTest::newRow("the locale's separator") << "de_DE" << "1,5.0" << "1,50" << 1;
    QTest::newRow("Enter") << "C" << "12\r" << "12" << 1;
    QTest::newRow("Backspace") << "C" << "12\b" << "1" << 0;
}

void SpinFieldTest::typingKeepsDigitsSignsAndSeparator()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QLocale::setDefault(QLocale(locale));
    m_field->clear();
    QSignalSpy returnPressed(m_field, &QLineEdit::returnPressed);
    for (QChar c : typed) {
        const Qt::Key key = c == u'\r' ? Qt::Key_Return
                            : c == u'\b' ? Qt::Key_Backspace
                                         : Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, m_field, key, QString(c), Qt::NoModifier);
    }
    QTEST(m_field->text(), "text");
    QTEST(s_beeps, "beeps");
    QCOMPARE(returnPressed.count(), 0);
}

void SpinFieldTest::pastedLettersStayAndReadMinValue()
{
    m_field->setMinValue(20);
    m_field->setMaxValue(120);
    m_field->clear();
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keyClick(m_field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_field->text(), QStringLiteral("abc"));
    QCOMPARE(s_beeps, 0);
    QCOMPARE(m_field->Value(), 20);
    QTest::keyClick(m_field, Qt::Key_Tab);
    QVERIFY(m_other->hasFocus());
    QCOMPARE(m_field->text(), QStringLiteral("abc"));
}

void SpinFieldTest::leavingClampsANumber_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<QString>("text");
    QTest::newRow("below") << 20 << 120 << "-5" << false << "20";
    QTest::newRow("above, by click") << 300 << 600 << "1000" << true << "600";
    QTest::newRow("in range") << 300 << 600 << "0450" << false << "0450";
    QTest::newRow("not a number") << 20 << 120 << "1-2" << false << "1-2";
    QTest::newRow("no range") << 0 << 0 << "-7" << true << "-7";
}

void SpinFieldTest::leavingClampsANumber()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, typed);
    QFETCH(bool, byMouse);
    m_field->setMinValue(min);
    m_field->setMaxValue(max);
    m_field->setText(typed);
    if (byMouse)
        QTest::mouseClick(m_other, Qt::LeftButton);
    else
        QTest::keyClick(m_field, Qt::Key_Tab);
    QVERIFY(m_other->hasFocus());
    QTEST(m_field->text(), "text");
}

// Another window taking the activation is not leaving the field, nor is hiding its window.
void SpinFieldTest::switchingWindowsKeepsTheText()
{
    m_field->setMinValue(300);
    m_field->setMaxValue(600);
    m_field->setText(QStringLiteral("1000"));
    QLineEdit elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QCOMPARE(m_field->text(), QStringLiteral("1000"));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_window->hide();
    QCOMPARE(m_field->text(), QStringLiteral("1000"));
}

void SpinFieldTest::focusInSelectsAllExceptByMouse()
{
    m_field->setText(QStringLiteral("450"));
    m_other->setFocus();
    QTest::mouseClick(m_field, Qt::LeftButton, {}, QPoint(5, m_field->height() / 2));
    QVERIFY(m_field->hasFocus());
    QVERIFY(!m_field->hasSelectedText());
    m_other->setFocus();
    QTest::keyClick(m_other, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(m_field->hasFocus());
    QCOMPARE(m_field->selectedText(), QStringLiteral("450"));
}

void SpinFieldTest::arrowKeysStep()
{
    m_field->setMinValue(300);
    m_field->setMaxValue(600);
    m_field->setIncrement(50);
    m_field->setText(QStringLiteral("450"));
    QTest::keyClick(m_field, Qt::Key_Up);
    QCOMPARE(m_field->text(), QStringLiteral("500"));
    QTest::keyClicks(m_field, QStringLiteral("x"));
    QTest::keyClick(m_field, Qt::Key_Down);
    QCOMPARE(m_field->text(), QStringLiteral("450"));
    m_field->setText(QStringLiteral("590"));
    QTest::keyClick(m_field, Qt::Key_Up);
    QCOMPARE(m_field->text(), QStringLiteral("600"));
}

void SpinFieldTest::builtInButtonStepsAndFocusesTheField()
{
    m_field->setMinValue(20);
    m_field->setMaxValue(120);
    m_field->setText(QStringLiteral("70"));
    m_other->setFocus();
    navrik::SpinButton* button = m_field->button();
    QTest::mouseClick(button, Qt::LeftButton, {}, button->upRect().center());
    QVERIFY(m_field->hasFocus());
    QCOMPARE(m_field->text(), QStringLiteral("71"));
    QTest::mouseClick(button, Qt::LeftButton, {}, button->downRect().center());
    QTest::mouseClick(button, Qt::LeftButton, {}, button->downRect().center());
    QCOMPARE(m_field->text(), QStringLiteral("69"));
}

// The dialog's fields are 49 by 21 in the 12-pixel window font; a lower height is raised.
// The built-in button stands one pixel inside the border at the right and the bottom.
void SpinFieldTest::sizes()
{
    auto* field = new SpinField(m_window.get());
    field->setFont(navrik::proportionalGothicFont());
    QCOMPARE(field->minimumFieldHeight(), 21);
    field->setGeometry(0, 0, 49, 10);
    field->show();
    QCOMPARE(field->height(), 21);
    const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    QCOMPARE(field->button()->geometry(),
             QRect(49 - frame - 1 - 15, frame, 15, 21 - 2 * frame - 1));
}

QTEST_MAIN(SpinFieldTest)
#include "SpinFieldTest.moc"
