// SPDX-License-Identifier: MIT
#include "gui/ErrorBox.h"

#include "gui/ShowModal.h"

#include <QApplication>
#include <QMessageBox>

namespace navrik {

void showErrorBox(const QString& message)
{
    // Owned by the active window, so that it stands above an always-on-top dialog; shown as the
    // settings dialog is, so that the window that was active gets the focus back afterwards.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Navrik"), message + QLatin1Char('.'),
                    QMessageBox::Ok, QApplication::activeWindow());
    showModal(&box);
}

} // namespace navrik
