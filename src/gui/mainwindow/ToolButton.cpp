// SPDX-License-Identifier: MIT
#include "gui/mainwindow/ToolButton.h"

#include "gui/Fonts.h"
#include "gui/SystemColors.h"

#include <QMouseEvent>
#include <QPainter>

using navrik::SystemColor;

ToolButton::ToolButton(const QString& caption, QWidget* parent)
    : QWidget(parent)
    , m_caption(caption)
{
    setFocusPolicy(Qt::NoFocus);
    setFont(navrik::proportionalGothicFont());
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ToolButton::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    update();
}

void ToolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor face = navrik::systemColor(m_highlighted ? SystemColor::Highlight : SystemColor::Menu);
    const QColor text = navrik::systemColor(m_highlighted ? SystemColor::HighlightText : SystemColor::MenuText);
    painter.fillRect(rect(), face);
    painter.setPen(navrik::systemColor(SystemColor::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(text);
    painter.drawText(rect(), Qt::AlignCenter, m_caption);
}

void ToolButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
}

void ToolButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    if (click)
        emit clicked();
}
