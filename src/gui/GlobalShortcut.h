// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QObject>

#include <memory>

namespace navrik {

// One key combination that reaches Navrik whichever window has the focus. The desktop's own means
// sit behind this interface (inside a Wayland session the desktop portal, on X11 a key grab on
// the root window); where the platform offers none, setting a key does nothing and says so.
class GlobalShortcut : public QObject {
    Q_OBJECT

public:
    // The implementation for the platform Qt runs on. Make it after the application object.
    static std::unique_ptr<GlobalShortcut> create();

    // Reads a key combination the way tolvane.ini keeps it ("Ctrl+Alt+Q"). Empty and "None" give
    // an empty sequence; so does text that can't be a global shortcut, and then `problem` says
    // why: it is not one key combination, it has no key but modifiers, or it lacks Ctrl, Alt and
    // Meta (Super), so that it would take a key that every program types with.
    static QKeySequence parse(const QString& text, QString* problem = nullptr);

    // Takes the combination in place of the one held before; an empty sequence only lets go.
    // Returns false when it can't be taken (another program holds it, or the platform has no
    // way), after one line on standard error. Where the desktop answers later (the portal), a
    // refusal is told the same way when it comes.
    virtual bool setKey(const QKeySequence& key) = 0;

signals:
    // The combination was pressed, in any window.
    void activated();
};

} // namespace navrik
