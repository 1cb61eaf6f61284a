// SPDX-License-Identifier: MIT
#pragma once

#include <QBasicTimer>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace navrik {

// Two stacked arrow halves that report up and down clicks and repeat them while held with
// the left button: the first repeat 400 ms after the press, then every 100 ms while the
// pointer stays over the pressed half, and one more click at a release over it.
//
// A handler that shows a modal box (the error box) is safe: the box takes the activation, and a
// button whose window loses it ends its press, so no repeat runs on behind the box.
class SpinButton : public QWidget {
    Q_OBJECT

public:
    explicit SpinButton(QWidget* parent = nullptr);

    QPixmap UpGlyph() const { return m_glyphs[Up]; }
    void setUpGlyph(const QPixmap& glyph);
    QPixmap DownGlyph() const { return m_glyphs[Down]; }
    void setDownGlyph(const QPixmap& glyph);

    // The control that takes the focus when a half is pressed, if it is a tab stop that can
    // take it; none by default.
    QWidget* focusControl() const { return m_focusControl; }
    void setFocusControl(QWidget* control) { m_focusControl = control; }

    // The two halves share one pixel row: the up half is the top H / 2 rows, the down half
    // starts on the up half's last row.
    QRect upRect() const;
    QRect downRect() const;

    QSize sizeHint() const override;

signals:
    // A click of the up and of the down half.
    void upClicked();
    void downClicked();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum Half { Up, Down, None };

    QRect halfRect(Half half) const;
    Half halfAt(const QPoint& pos) const;
    bool isOver(Half half, const QPoint& pos) const;
    void takeFocus();
    void click(Half half);
    void endPress();

    QPixmap m_glyphs[2];
    QPointer<QWidget> m_focusControl;
    QBasicTimer m_repeat[2];
    Half m_pressed = None;   // the half the left button holds
    bool m_sunken = false;   // the pressed half is drawn sunken: the pointer is over it
    Half m_focusedHalf = Up; // the half Space clicks when the button itself has the focus
};

} // namespace navrik
