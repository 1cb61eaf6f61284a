// SPDX-License-Identifier: MIT
#pragma once

#include "gui/GlobalShortcut.h"

#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

namespace navrik {

// The global shortcut through the desktop portal's GlobalShortcuts interface, where a Wayland
// session offers it: the combination goes to the desktop as the preferred trigger of Navrik's one
// shortcut, and the desktop (which may first ask the user) reports when it is pressed. Each key
// opens a session of its own; letting go closes it, which takes the shortcut back.
class GlobalShortcutPortal : public GlobalShortcut {
    Q_OBJECT

public:
    // The portal's shortcut when the session bus has the portal with this interface, else none.
    static std::unique_ptr<GlobalShortcut> create();

    ~GlobalShortcutPortal() override;

    // Sends the key to the desktop and returns true; the desktop answers later, and a refusal
    // is told in one line on standard error.
    bool setKey(const QKeySequence& key) override;

private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    // Activated(session_handle, shortcut_id, timestamp, options).
    void shortcutActivated(const QDBusMessage& signal);

private:
    GlobalShortcutPortal();
    // Calls a method of the portal that answers through a request object, whose Response
    // signal goes to the slot.
    void request(const QString& method, QVariantList arguments, const char* slot);
    void refused(const QString& why);
    void close();

    QString m_text;        // the combination as tolvane.ini writes it, for messages
    QString m_trigger;     // the combination as the portal writes it
    QString m_session;     // the open session's object path
    QString m_requestPath; // the request whose answer is awaited
    int m_serial = 0;      // the last request's number, in its token
};

} // namespace navrik
