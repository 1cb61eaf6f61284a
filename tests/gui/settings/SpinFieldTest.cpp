// SPDX-License-Identifier: MIT
#include "gui/settings/SpinField.h"

#include <QtWidgets>
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
        layout->addWidget(m_field = new SpinField), layout->addWidget(m_other = new QLineEdit);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_field->setFocus(Qt::MouseFocusReason);
        m_field->setMinValue(20);
        m_field->setMaxValue(120);
    }

    // Backspace goes through; refused keys, Enter among them, beep. The separator is the locale's.
    void typingTakesDigitsSignsAndTheSeparator()
    {
        for (const auto& [locale, typed, text, beeps] : {std::tuple{"C", "1-2+3.4\b", "1-2+3.", 0},
                                                         {"C", "7a b\r１－", "71-", 4}, {"de_DE", "1,5.0", "1,50", 1}}) {
            QLocale::setDefault(QLocale(locale));
            m_field->clear();
            s_beeps = 0;
            for (QChar c : QString::fromUtf8(typed)) {
                const Qt::Key key = c == u'\r' ? Qt::Key_Return : c == u'\b' ? Qt::Key_Backspace : Qt::Key(c.unicode());
                QTest::sendKeyEvent(QTest::Click, m_field, key, QString(c), Qt::NoModifier);
            }
            QCOMPARE(m_field->text(), QString::fromUtf8(text));
            QCOMPARE(s_beeps, beeps);
        }
    }

    // A character key held with Ctrl, Alt or Super is refused like the character; the editing
    // shortcuts and keys that type nothing still work.
    void modifiersTypeNoCharacter()
    {
        m_field->setText(QStringLiteral("45"));
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_A, Qt::AltModifier}, {Qt::Key_M, Qt::ControlModifier},
                                             {Qt::Key_B, Qt::MetaModifier}, {Qt::Key_7, Qt::AltModifier}}) {
            const QString text = key == Qt::Key_M ? QStringLiteral("\r") : QString(QChar(key)).toLower();
            QTest::sendKeyEvent(QTest::Click, m_field, key, text, modifiers);
        }
        QVERIFY(m_field->text() == "45" && s_beeps == 4);
        // Select all, cut, paste twice, undo, a word left and delete: no beep.
        for (const auto& [key, text] : {std::pair{Qt::Key_A, "45"}, {Qt::Key_X, ""}, {Qt::Key_V, "45"},
                 {Qt::Key_V, "4545"}, {Qt::Key_Z, "45"}, {Qt::Key_Left, "45"}, {Qt::Key_Delete, "5"}}) {
            QTest::keyClick(m_field, key, key == Qt::Key_Delete ? Qt::NoModifier : Qt::ControlModifier);
            QCOMPARE(m_field->text(), QString::fromLatin1(text));
        }
        QCOMPARE(s_beeps, 4);
    }

    // An input method's full-width digits go in as ASCII; a composition that is refused leaves
    // the text as it was before it took the selection away.
    void inputMethodDigits()
    {
        for (const auto& [preedit, commit, text, beeps] : {std::tuple{"２５", "２５０", "250", 0}, {"あ", "あ", "70", 1}}) {
            m_field->setText(QStringLiteral("70"));
            m_field->selectAll();
            QInputMethodEvent composing(QString::fromUtf8(preedit), {});
            QApplication::sendEvent(m_field, &composing);
            QInputMethodEvent done;
            done.setCommitString(QString::fromUtf8(commit));
            QApplication::sendEvent(m_field, &done);
            QCOMPARE(m_field->text(), QString::fromUtf8(text));
            QCOMPARE(s_beeps, beeps);
        }
    }

    // Pasted text is not filtered. Leaving clamps a number and keeps any other text.
    void pasteAndLeaving()
    {
        QApplication::clipboard()->setText(QStringLiteral("abc"));
        QTest::keyClick(m_field, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(m_field->text() == "abc" && s_beeps == 0);
        for (const auto& [typed, left] : {std::pair{"abc", "abc"}, {"-5", "20"}, {"1000", "120"}, {"070", "070"}}) {
            m_field->setFocus();
            m_field->setText(QString::fromLatin1(typed));
            QTest::keyClick(m_field, Qt::Key_Tab);
            QVERIFY(m_other->hasFocus());
            QCOMPARE(m_field->text(), QString::fromLatin1(left));
        }
    }

    // Another window taking the activation is not leaving the field; coming back selects it all.
    void switchingWindowsKeepsTheText()
    {
        m_field->setText(QStringLiteral("1000"));
        QLineEdit elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(m_field->selectedText(), QStringLiteral("1000"));
    }

    void upArrowSteps()
    {
        m_field->setIncrement(50);
        m_field->setText(QStringLiteral("45"));
        QTest::keyClick(m_field, Qt::Key_Up);
        QCOMPARE(m_field->text(), QStringLiteral("95"));
    }

private:
    std::unique_ptr<QWidget> m_window;
    SpinField* m_field = nullptr;
    QLineEdit* m_other = nullptr;
};

QTEST_MAIN(SpinFieldTest)
#include "SpinFieldTest.moc"
