#include "gui/ShowModal.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace navrik {

void showModal(QDialog* dialog)
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    QPointer<QWidget> previouslyActive = QApplication::activeWindow();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->exec();
    QApplication::restoreOverrideCursor();
    if (previouslyActive && previouslyActive != dialog && QApplication::activeWindow() == nullptr)
        previouslyActive->activateWindow();
}

} // namespace navrik
