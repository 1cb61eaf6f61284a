// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QPixmap>

class QWidget;

namespace navrik {

// The program's icon, rendered at build time from its one drawing (the menu entry's SVG): at
// 32 by 32 pixels the program's 16-colour icon pixel for pixel, and as sharp at 2, 3 and 4 times
// that size.
QIcon programIcon();

// The 32 by 32 icon for the widget's screen, drawn from the rendering made for its scale.
QPixmap programIconPixmap(const QWidget* widget);

} // namespace navrik
