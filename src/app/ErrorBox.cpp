#include "app/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace navrik {

void showErrorBox(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Navrik"), message + QLatin1Char('.'),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace navrik
