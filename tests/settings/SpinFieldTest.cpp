#include "app/Fonts.h"
#include "settings/SpinButton.h"
#include "settings/SpinField.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

using navrik::SpinField;

static int s_beeps = 0;

class SpinFieldTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        s_beeps = 0;
        SpinField::setBeepFunction([] { ++s_beeps; });
        QLocale::setDefault(QLocale::c());
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        layout->addWidget(m_field = new SpinField);
        layout->addWidget(m_other = new QLineEdit);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_field->setFocus(Qt::MouseFocusReason);
        m_field->setMinValue(20);
        m_field->setMaxValue(120);
        m_field->clear();
    }

    void typing_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("beeps");
        QTest::newRow("digits, signs, separator") << "C" << "1-2+3.4\b" << "1-2+3." << 0;
        QTest::newRow("letters, blank, Enter") << "C" << "7a b\r" << "7" << 4;
        QTest::newRow("full-width digit") << "C" << "１2" << "2" << 1;
        QTest::newRow("the locale's separator") << "de_DE" << "1,5.0" << "1,50" << 1;
    }

    void typing()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QLocale::setDefault(QLocale(locale));
        for (QChar c : typed) {
            const Qt::Key key = c == u'\r'   ? Qt::Key_Return
                                : c == u'\b' ? Qt::Key_Backspace
                                             : Qt::Key(c.unicode());
            QTest::sendKeyEvent(QTest::Click, m_field, key, QString(c), Qt::NoModifier);
        }
        QTEST(m_field->text(), "text");
        QTEST(s_beeps, "beeps");
    }

    void pastedLettersStayAndReadMinValue()
    {
        QApplication::clipboard()->setText(QStringLiteral("abc"));
        QTest::keyClick(m_field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(s_beeps, 0);
        QCOMPARE(m_field->text(), QStringLiteral("abc"));
        QCOMPARE(m_field->Value(), 20);
    }

    void leavingClampsANumber_data()
    {
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("below, by Tab") << 120 << "-5" << "20";
        QTest::newRow("above, by click") << 600 << "1000" << "600";
        QTest::newRow("in range") << 120 << "070" << "070";
        QTest::newRow("not a number") << 120 << "abc" << "abc";
        QTest::newRow("no range") << 20 << "-7" << "-7";
    }

    void leavingClampsANumber()
    {
        QFETCH(int, max);
        QFETCH(QString, typed);
        m_field->setMaxValue(max);
        m_field->setText(typed);
        if (QByteArray(QTest::currentDataTag()).endsWith("click"))
            QTest::mouseClick(m_other, Qt::LeftButton);
        else
            QTest::keyClick(m_field, Qt::Key_Tab);
        QVERIFY(m_other->hasFocus());
        QTEST(m_field->text(), "text");
    }

    // Another window taking the activation is not leaving the field, nor is hiding its window.
    // Coming back to the window selects the whole text.
    void switchingWindowsKeepsTheText()
    {
        m_field->setText(QStringLiteral("1000"));
        QLineEdit elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QCOMPARE(m_field->text(), QStringLiteral("1000"));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(m_field->selectedText(), QStringLiteral("1000"));
        m_window->hide();
        QCOMPARE(m_field->text(), QStringLiteral("1000"));
    }

    void arrowKeysAndBuiltInButtonStep()
    {
        m_field->setMinValue(300);
        m_field->setMaxValue(600);
        m_field->setIncrement(50);
        m_field->setText(QStringLiteral("450"));
        QTest::keyClick(m_field, Qt::Key_Up);
        QCOMPARE(m_field->text(), QStringLiteral("500"));
        m_other->setFocus();
        navrik::SpinButton* button = m_field->button();
        QTest::mouseClick(button, Qt::LeftButton, {}, button->upRect().center());
        QTest::mouseClick(button, Qt::LeftButton, {}, button->upRect().center());
        QCOMPARE(m_field->text(), QStringLiteral("600"));
        QVERIFY(m_field->hasFocus());
        QTest::keyClick(m_field, Qt::Key_Down);
        QCOMPARE(m_field->text(), QStringLiteral("550"));
    }

    // The dialog's fields are 21 pixels high in the 12-pixel window font; lower is raised.
    void minimumHeight()
    {
        m_field->setFont(navrik::proportionalGothicFont());
        m_field->resize(49, 10);
        QCOMPARE(m_field->height(), 21);
    }

private:
    std::unique_ptr<QWidget> m_window;
    SpinField* m_field = nullptr;
    QLineEdit* m_other = nullptr;
};

QTEST_MAIN(SpinFieldTest)
#include "SpinFieldTest.moc"
