// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QPalette>

namespace navrik {

// The desktop's system colours, named by their classic index, mapped onto the palette.
enum class SystemColor {
    Menu = 4,
    Window = 5,
    MenuText = 7,
    WindowText = 8,
    AppWorkspace = 12,
    Highlight = 13,
    HighlightText = 14,
};

QPalette::ColorRole paletteRole(SystemColor color);
QColor systemColor(SystemColor color);

} // namespace navrik
