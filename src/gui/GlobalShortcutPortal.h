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
// opens a session of its own; letting go closes it, which takes the shortcut back. While the
// desktop has not bound the key (it refused, or bound nothing), a stand-in (the X11 key grab)
// holds it, and a binding the desktop reports later takes over from it.
class GlobalShortcutPortal : public GlobalShortcut {
    Q_OBJECT

public:
    // The session bus has the portal with this interface.
    static bool available();

    explicit GlobalShortcutPortal(std::unique_ptr<GlobalShortcut> standIn);
    ~GlobalShortcutPortal() override;

    // Sends the key to the desktop and returns true; the desktop answers later, and a refusal
    // is told in one line on standard error.
    bool setKey(const QKeySequence& key) override;

private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    // ShortcutsChanged(session_handle, shortcuts): the user gave the shortcut a key, or took it.
    void shortcutsChanged(const QDBusMessage& signal);
    // Activated(session_handle, shortcut_id, timestamp, options).
    void shortcutActivated(const QDBusMessage& signal);

private:
    // Calls a method of the portal that answers through a request object, whose Response
    // signal goes to the slot.
    void request(const QString& method, QVariantList arguments, const char* slot);
    void refused(const QString& why);
    // The desktop answered without binding the key; the session stays open for a later binding.
    void leftUnbound();
    // Whether the desktop's list of bound shortcuts holds Navrik's.
    static bool binds(const QVariant& shortcuts);
    // The stand-in takes the key; the end of the message that says what to do then.
    const char* standInTakes();
    void close();

    std::unique_ptr<GlobalShortcut> m_standIn;
    QKeySequence m_key;

    QString m_text;        // the combination as tolvane.ini writes it, for messages
    QString m_trigger;     // the combination as the portal writes it
    QString m_session;     // the open session's object path
    QString m_requestPath; // the request whose answer is awaited
    int m_serial = 0;      // the last request's number, in its token
};

} // namespace navrik
