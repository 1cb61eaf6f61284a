#include "gui/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace navrik {

void showErrorBox(const QString& message)
{
    // Owned by the active window, so that it stands above an always-on-top dialog.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Navrik"), message + QLatin1Char('.'),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace navrik
