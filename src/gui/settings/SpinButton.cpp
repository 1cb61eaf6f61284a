// SPDX-License-Identifier: MIT
#include "gui/settings/SpinButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace navrik {
namespace {

constexpr int kMinimumWidth = 15;
// Precise timers: a coarse one may fire a little early.
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 100;

bool takesFocusByTab(const QWidget* widget)
{
    return widget && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus
           && widget->isEnabled() && widget->isVisible() && !widget->hasFocus();
}

} // namespace

SpinButton::SpinButton(QWidget* parent) : QWidget(parent)
{
    // Never a tab stop; a press hands the focus to the focus control instead.
    setFocusPolicy(Qt::NoFocus);
    // A right press does nothing here and must not open the field's menu underneath.
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMinimumWidth(kMinimumWidth);
    m_glyphs[Up] = QPixmap(QStringLiteral(":/SpinUp.xpm"));
    m_glyphs[Down] = QPixmap(QStringLiteral(":/SpinDown.xpm"));
}

void SpinButton::setUpGlyph(const QPixmap& glyph)
{
    m_glyphs[Up] = glyph;
    update();
}

void SpinButton::setDownGlyph(const QPixmap& glyph)
{
    m_glyphs[Down] = glyph;
    update();
}

QRect SpinButton::upRect() const
{
    return QRect(0, 0, width(), height() / 2);
}

QRect SpinButton::downRect() const
{
    const int upHeight = height() / 2;
    return QRect(0, upHeight - 1, width(), height() - upHeight + 1);
}

QRect SpinButton::halfRect(Half half) const
{
    return half == Up ? upRect() : downRect();
}

QSize SpinButton::sizeHint() const
{
    return QSize(20, 21);
}

// The shared row belongs to the down half, which lies on top of the up half.
SpinButton::Half SpinButton::halfAt(const QPoint& pos) const
{
    return pos.y() >= downRect().top() ? Down : Up;
}

// Over a half: x from 0 to its width - 1 and y from 0 to its height, in its own coordinates.
bool SpinButton::isOver(Half half, const QPoint& pos) const
{
    const QRect r = halfRect(half);
    const QPoint p = pos - r.topLeft();
    return p.x() >= 0 && p.x() < r.width() && p.y() >= 0 && p.y() <= r.height();
}

void SpinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A disabled spin button keeps the normal look of its faces and arrows.
    QPalette pal = palette();
    pal.setCurrentColorGroup(QPalette::Active);
    for (Half half : {Up, Down}) {
        const QRect r = halfRect(half);
        const bool sunken = m_pressed == half && m_sunken;
        qDrawWinButton(&painter, r, pal, sunken, &pal.brush(QPalette::Button));
        const QPixmap& glyph = m_glyphs[half];
        if (!glyph.isNull()) {
            const QSize size = glyph.deviceIndependentSize().toSize();
            QPoint at(r.x() + (r.width() - size.width()) / 2,
                      r.y() + (r.height() - size.height()) / 2);
            if (sunken)
                at += QPoint(1, 1);
            painter.drawPixmap(at, glyph);
        }
        if (hasFocus() && half == m_focusedHalf) {
            painter.setPen(QPen(pal.color(QPalette::ButtonText), 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r.adjusted(3, 3, -4, -4));
        }
    }
}

void SpinButton::takeFocus()
{
    if (takesFocusByTab(m_focusControl))
        m_focusControl->setFocus(Qt::MouseFocusReason);
    else if (takesFocusByTab(this))
        setFocus(Qt::MouseFocusReason);
}

void SpinButton::mousePressEvent(QMouseEvent* event)
{
    // Every press is taken here, so none reaches the field underneath a built-in button.
    event->accept();
    if (event->button() != Qt::LeftButton || m_pressed != None)
        return;
    m_pressed = halfAt(event->position().toPoint());
    m_sunken = true;
    update();
    takeFocus();
    if (m_pressed != None)
        m_repeat[m_pressed].start(kFirstRepeatMs, Qt::PreciseTimer, this);
}

void SpinButton::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (m_pressed == None)
        return;
    const bool over = isOver(m_pressed, event->position().toPoint());
    if (over != m_sunken) {
        m_sunken = over;
        update();
    }
}

void SpinButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || m_pressed == None)
        return;
    const Half half = m_pressed;
    const bool over = isOver(half, event->position().toPoint());
    endPress();
    if (over)
        click(half);
}

void SpinButton::timerEvent(QTimerEvent* event)
{
    for (Half half : {Up, Down}) {
        if (event->timerId() != m_repeat[half].timerId())
            continue;
        if (m_pressed != half) {
            m_repeat[half].stop();
            return;
        }
        m_repeat[half].start(kRepeatMs, Qt::PreciseTimer, this);
        // Repeats pause while the pointer is off the half.
        if (m_sunken)
            click(half);
        return;
    }
    QWidget::timerEvent(event);
}

void SpinButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        m_focusedHalf = event->key() == Qt::Key_Up ? Up : Down;
        update();
        click(m_focusedHalf);
        break;
    case Qt::Key_Space:
        click(m_focusedHalf);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

// A button that can no longer see the release ends its press: disabled, hidden, or its window
// no longer active (a modal box or another window took over). Children hear of the window's
// deactivation as WindowDeactivate, not as an activation change.
bool SpinButton::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate)
        endPress();
    return QWidget::event(event);
}

void SpinButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        endPress();
    QWidget::changeEvent(event);
}

void SpinButton::hideEvent(QHideEvent* event)
{
    endPress();
    QWidget::hideEvent(event);
}

void SpinButton::endPress()
{
    m_repeat[Up].stop();
    m_repeat[Down].stop();
    if (m_pressed != None) {
        m_pressed = None;
        m_sunken = false;
        update();
    }
}

void SpinButton::click(Half half)
{
    if (half == Up)
        emit upClicked();
    else
        emit downClicked();
}

} // namespace navrik
