// SPDX-License-Identifier: MIT
#pragma once

#include "core/SpinValue.h"

#include <QLineEdit>

namespace navrik {

class SpinButton;

// A one-line edit that holds a whole number. Its text is its only state: Value() reads the text
// every time (text that is not a number reads as MinValue, nothing is clamped), setValue() and
// leaving the field for another control of the same window clamp to MinValue..MaxValue.
// Typing takes digits, signs and the decimal separator only (full-width ones from an input
// method as their ASCII forms; a refused key or composition leaves the text as it was); with Ctrl, Alt or Super held no
// character at all, only the editing shortcuts and keys that type nothing. Up and Down and the
// built-in button at the right edge step by Increment. Nothing here runs a handler of the window.
class SpinField : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
    Q_PROPERTY(int Increment READ Increment WRITE setIncrement)
    Q_PROPERTY(int Value READ Value WRITE setValue STORED false)

public:
    using BeepFunction = void (*)();

    explicit SpinField(QWidget* parent = nullptr);

    int MinValue() const { return m_rules.MinValue; }
    void setMinValue(int value) { m_rules.MinValue = value; }
    int MaxValue() const { return m_rules.MaxValue; }
    void setMaxValue(int value) { m_rules.MaxValue = value; }
    int Increment() const { return m_rules.Increment; }
    void setIncrement(int value) { m_rules.Increment = value; }

    int Value() const;
    void setValue(int value);

    void stepUp();
    void stepDown();

    // Rewrites the text as the nearer end of the range when it reads as a number outside it;
    // text that is not a number stays as it is. What leaving the field does.
    void clampToRange();

    // The built-in button at the right edge, covered in the settings dialog by a separate one.
    SpinButton* button() const { return m_button; }

    // The lowest height the field takes: h + min(h, s) / 4 + 4 + 2, h and s being the pixel
    // sizes of its font and of the application font.
    int minimumFieldHeight() const;

    // What sounds when a typed character is refused; QApplication::beep unless replaced.
    // Returns the one it replaces.
    static BeepFunction setBeepFunction(BeepFunction beep);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static bool accepts(QChar c);
    static QString asciiForm(const QString& text);
    // Copy, cut, paste, select all, undo and redo, in the platform's keys.
    static bool isEditingShortcut(const QKeyEvent* event);
    int frameWidth() const;
    void layOut();

    // The field as it was when an input method's composition started.
    struct Snapshot {
        QString text;
        int selectionStart = -1;
        int selectionLength = 0;
        int cursor = 0;
    };

    SpinValue m_rules;
    SpinButton* m_button;
    bool m_composing = false;
    Snapshot m_beforeComposing;
};

} // namespace navrik
