// SPDX-License-Identifier: MIT
#include "gui/GlobalShortcut.h"

#include "gui/DesktopSession.h"
#include "gui/GlobalShortcutPortal.h"

#include <QGuiApplication>

#include <cstdio>

namespace navrik {

// The key grab on X11. Inside a Wayland session it sees the key only while an X window has the
// focus; `sayFocusOnly` has it say so once, when it first takes a key.
std::unique_ptr<GlobalShortcut> createX11GlobalShortcut(bool sayFocusOnly);

namespace {

// Where the desktop offers no way to take a key for the whole session. On a platform without a
// desktop (offscreen) there is no one to tell.
class NoGlobalShortcut : public GlobalShortcut {
public:
    explicit NoGlobalShortcut(bool quiet) : m_quiet(quiet) {}

    bool setKey(const QKeySequence& key) override
    {
        if (key.isEmpty() || m_quiet)
            return key.isEmpty();
        std::fprintf(stderr, "navrik: this desktop offers no global shortcut; bind \"navrik "
                             "--paste-and-quote\" to %s in the desktop's keyboard settings\n",
                     key.toString(QKeySequence::PortableText).toUtf8().constData());
        return false;
    }

private:
    bool m_quiet;
};

} // namespace

std::unique_ptr<GlobalShortcut> GlobalShortcut::create()
{
    // Inside a Wayland session a key grab through XWayland sees only XWayland's windows; the
    // desktop portal, where the desktop offers it, takes the key for the whole session, and the
    // grab stands in while the portal has not bound it (the portal's message says so then).
    const bool x11 = desktop::x11();
    if (desktop::waylandSession() && GlobalShortcutPortal::available())
        return std::make_unique<GlobalShortcutPortal>(x11 ? createX11GlobalShortcut(false) : nullptr);
    if (x11) {
        if (std::unique_ptr<GlobalShortcut> grab = createX11GlobalShortcut(desktop::waylandSession()))
            return grab;
    }
    const QString platform = QGuiApplication::platformName();
    return std::make_unique<NoGlobalShortcut>(platform == QLatin1String("offscreen")
                                              || platform == QLatin1String("minimal"));
}

QKeySequence GlobalShortcut::parse(const QString& text, QString* problem)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("None"), Qt::CaseInsensitive) == 0)
        return {};
    const auto refuse = [problem](const char* why) {
        if (problem)
            *problem = QString::fromUtf8(why);
        return QKeySequence();
    };
    const QKeySequence key = QKeySequence::fromString(trimmed, QKeySequence::PortableText);
    if (key.count() != 1 || key[0].key() == Qt::Key_unknown)
        return refuse("is not a key combination");
    switch (key[0].key()) {
    case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_AltGr: case Qt::Key_Meta:
    case Qt::Key_Super_L: case Qt::Key_Super_R: case Qt::Key_Hyper_L: case Qt::Key_Hyper_R:
        return refuse("names no key besides its modifiers");
    default:
        break;
    }
    // Shift alone still types: Shift+Q is the capital Q of every program's text.
    if (!(key[0].keyboardModifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return refuse("holds no Ctrl, Alt or Meta (Super), so it would take a key every program types with");
    return key;
}

} // namespace navrik
