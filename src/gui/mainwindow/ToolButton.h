// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>

// A flat panel used as a button: a one-pixel frame, a centred caption, resting colours of
// the menu, highlight colours while the pointer is over it. A click is a left-button press and
// release inside it. The Tab key reaches it (a click leaves the focus where it was, so the
// buffer keeps showing its selection), Space or Enter then clicks it, and a screen reader knows
// it as a button with its caption for its name and a press action.
class ToolButton : public QAbstractButton {
    Q_OBJECT

public:
    ToolButton(const QString& caption, QWidget* parent);

    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_highlighted = false;
};
