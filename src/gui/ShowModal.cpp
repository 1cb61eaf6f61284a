// SPDX-License-Identifier: MIT
#include "gui/ShowModal.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

#if QT_CONFIG(xcb)
#define NAVRIK_WATCH_X11
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace navrik {

namespace {

#ifdef NAVRIK_WATCH_X11
// Two things other X clients do while a modal dialog runs, which Qt leaves undone:
// - the window manager or a taskbar asks a window that the dialog blocks to close
//   (WM_DELETE_WINDOW): Qt drops the request; here the window gets it as close(), so closing
//   the main window still ends the program;
// - another client destroys the dialog's own window: Qt would wait for ever for a window that is
//   gone; here the dialog is closed as its close box would close it, which ends its loop.
class ModalWatch : public QAbstractNativeEventFilter {
public:
    explicit ModalWatch(QDialog* dialog) : m_dialog(dialog)
    {
        auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        m_connection = x11 ? x11->connection() : nullptr;
        if (!m_connection)
            return;
        m_protocols = atom("WM_PROTOCOLS");
        m_deleteWindow = atom("WM_DELETE_WINDOW");
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~ModalWatch() override
    {
        if (m_connection)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool dialogDestroyed() const { return m_destroyed; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
        case XCB_DESTROY_NOTIFY:
            dialogWindowDestroyed(reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window);
            break;
        case XCB_CLIENT_MESSAGE: {
            const auto* request = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (request->format == 32 && request->type == m_protocols && m_protocols != XCB_ATOM_NONE
                && request->data.data32[0] == m_deleteWindow)
                closeRequested(request->window);
            break;
        }
        default:
            break;
        }
        return false; // Qt goes on with the event as it would
    }

private:
    // The X window that stands for the widget now. Not QWidget::internalWinId(): that keeps the
    // first window's id after a change of flags (最上面に配置) has made the widget a new one, so
    // requests for the new window would go unanswered. Widgets without a window yet have none.
    static xcb_window_t nativeWindow(const QWidget* widget)
    {
        const QWindow* window = widget->windowHandle();
        return window && window->handle() ? xcb_window_t(window->winId()) : xcb_window_t(XCB_WINDOW_NONE);
    }

    xcb_atom_t atom(const char* name) const
    {
        const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(m_connection, 1, uint16_t(qstrlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_connection, cookie, nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return found;
    }

    void dialogWindowDestroyed(xcb_window_t window)
    {
        if (m_destroyed || window != nativeWindow(m_dialog))
            return;
        m_destroyed = true;
        QPointer<QDialog> dialog = m_dialog;
        QMetaObject::invokeMethod(m_dialog, [dialog] {
            if (!dialog || !dialog->isVisible())
                return;
            dialog->close();
            // A close that the dialog refused (its save failed) cannot keep a window that is gone.
            if (dialog->isVisible())
                dialog->done(QDialog::Rejected);
        }, Qt::QueuedConnection);
    }

    // Only windows that the dialog blocks: itself and the modal boxes get their close requests
    // from Qt. The innermost modal dialog passes them on, once.
    void closeRequested(xcb_window_t window)
    {
        if (QApplication::activeModalWidget() != m_dialog)
            return; // a box the dialog shows passes it on
        for (QWidget* target : QApplication::topLevelWidgets()) {
            if (nativeWindow(target) != window || target == m_dialog || m_dialog->isAncestorOf(target)
                || target->windowModality() != Qt::NonModal || !target->isVisible())
                continue;
            QPointer<QWidget> blocked = target;
            QMetaObject::invokeMethod(target, [blocked] {
                if (blocked)
                    blocked->close();
            }, Qt::QueuedConnection);
        }
    }

    QDialog* m_dialog;
    xcb_connection_t* m_connection = nullptr;
    xcb_atom_t m_protocols = XCB_ATOM_NONE;
    xcb_atom_t m_deleteWindow = XCB_ATOM_NONE;
    bool m_destroyed = false;
};
#else
// Without X11 nothing outside the program acts on its windows behind Qt's back.
class ModalWatch {
public:
    explicit ModalWatch(QDialog*) {}
    bool dialogDestroyed() const { return false; }
};
#endif

} // namespace

void showModal(QDialog* dialog)
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    QPointer<QWidget> previouslyActive = QApplication::activeWindow();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog->setWindowModality(Qt::ApplicationModal);
    bool destroyed = false;
    {
        ModalWatch watch(dialog);
        dialog->exec();
        destroyed = watch.dialogDestroyed();
    }
    QApplication::restoreOverrideCursor();
    // A window destroyed by another client is made again at the next opening.
    if (destroyed && dialog->windowHandle())
        dialog->windowHandle()->destroy();
    // Without a window manager nothing gives the focus back when the dialog goes, and Qt may not
    // have heard yet that the dialog lost it.
    const QWidget* active = QApplication::activeWindow();
    if (previouslyActive && previouslyActive != dialog && previouslyActive->isVisible()
        && (!active || active == dialog || !active->isVisible()))
        previouslyActive->activateWindow();
}

} // namespace navrik
