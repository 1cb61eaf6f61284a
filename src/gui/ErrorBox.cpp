// SPDX-License-Identifier: MIT
#include "gui/ErrorBox.h"

#include "core/Error.h"
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

QString messageOf(const std::exception& error)
{
    const auto* own = dynamic_cast<const Error*>(&error);
    if (!own)
        return QString::fromUtf8(error.what());
    // A file name or the system's words have no translation and stay as they are.
    const auto translated = [](const std::string& text) {
        return QCoreApplication::translate("navrik", text.c_str()).toStdString();
    };
    std::vector<std::string> arguments;
    for (const std::string& argument : own->arguments())
        arguments.push_back(translated(argument));
    return QString::fromStdString(filledIn(translated(own->format()), arguments));
}

} // namespace navrik
