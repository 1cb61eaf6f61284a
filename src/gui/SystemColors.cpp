// SPDX-License-Identifier: MIT
#include "gui/SystemColors.h"

#include <QApplication>

namespace navrik {

QPalette::ColorRole paletteRole(SystemColor color)
{
    switch (color) {
    case SystemColor::Menu: return QPalette::Window;
    case SystemColor::Window: return QPalette::Base;
    case SystemColor::MenuText: return QPalette::WindowText;
    case SystemColor::WindowText: return QPalette::Text;
    case SystemColor::AppWorkspace: return QPalette::Mid;
    case SystemColor::Highlight: return QPalette::Highlight;
    case SystemColor::HighlightText: return QPalette::HighlightedText;
    }
    return QPalette::Window;
}

QColor systemColor(SystemColor color)
{
    return QApplication::palette().color(QPalette::Active, paletteRole(color));
}

} // namespace navrik
