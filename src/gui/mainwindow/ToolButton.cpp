// SPDX-License-Identifier: MIT
#include "gui/mainwindow/ToolButton.h"

#include "gui/Fonts.h"
#include "gui/SystemColors.h"

#include <QKeyEvent>
#include <QPainter>

using navrik::SystemColor;

ToolButton::ToolButton(const QString& caption, QWidget* parent) : QAbstractButton(parent)
{
    setText(caption);
    setFocusPolicy(Qt::TabFocus);
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
    painter.drawText(rect(), Qt::AlignCenter, this->text());
    if (hasFocus()) {
        painter.setPen(QPen(text, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void ToolButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
