// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// A flat panel used as a button: a one-pixel frame, a centred caption, resting colours of
// the menu, highlight colours while the pointer is over it. It never takes the keyboard
// focus. A click is a left-button press and release inside it.
class ToolButton : public QWidget {
    Q_OBJECT

public:
    ToolButton(const QString& caption, QWidget* parent);

    QString caption() const { return m_caption; }
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_caption;
    bool m_highlighted = false;
    bool m_pressed = false;
};
