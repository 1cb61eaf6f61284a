// SPDX-License-Identifier: MIT
#include "gui/ProgramIcon.h"

#include <QWidget>

namespace navrik {

QIcon programIcon()
{
    QIcon icon;
    for (int size : {32, 64, 96, 128})
        icon.addFile(QStringLiteral(":/icons/navrik-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap programIconPixmap(const QWidget* widget)
{
    return programIcon().pixmap(QSize(32, 32), widget->devicePixelRatioF());
}

} // namespace navrik
