// SPDX-License-Identifier: MIT
// The global shortcut on X11: a passive grab of the key on every root window, through the
// connection Qt already holds, and a filter that picks the grabbed key's presses out of Qt's
// event stream.
#include "gui/GlobalShortcut.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace navrik {

namespace {

constexpr xcb_keysym_t kNumLockSym = 0xff7f;
constexpr std::uint8_t kBadAccess = 10;
// Repeats of a held key follow each other much closer than this (the first after the
// repeat delay, well under a second, the rest at the repeat rate).
constexpr xcb_timestamp_t kRepeatGapMs = 1500;

// The X keysym of a Qt key: Latin-1 keys share their code (letters as the lower-case keysym),
// the rest come from a short table of keys a shortcut might use. 0 when there is none.
xcb_keysym_t keysymOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return xcb_keysym_t(key - Qt::Key_A + 'a');
    if (key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis)
        return xcb_keysym_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return xcb_keysym_t(0xffbe + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Escape: return 0xff1b;
    case Qt::Key_Tab: return 0xff09;
    case Qt::Key_Backspace: return 0xff08;
    case Qt::Key_Return: return 0xff0d;
    case Qt::Key_Enter: return 0xff8d;
    case Qt::Key_Insert: return 0xff63;
    case Qt::Key_Delete: return 0xffff;
    case Qt::Key_Pause: return 0xff13;
    case Qt::Key_Print: return 0xff61;
    case Qt::Key_Home: return 0xff50;
    case Qt::Key_End: return 0xff57;
    case Qt::Key_Left: return 0xff51;
    case Qt::Key_Up: return 0xff52;
    case Qt::Key_Right: return 0xff53;
    case Qt::Key_Down: return 0xff54;
    case Qt::Key_PageUp: return 0xff55;
    case Qt::Key_PageDown: return 0xff56;
    default: return 0;
    }
}

std::uint16_t modifierMask(Qt::KeyboardModifiers modifiers)
{
    std::uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

class X11GlobalShortcut : public GlobalShortcut, public QAbstractNativeEventFilter {
public:
    X11GlobalShortcut(xcb_connection_t* connection, bool sayFocusOnly)
        : m_connection(connection)
        , m_sayFocusOnly(sayFocusOnly)
        , m_symbols(xcb_key_symbols_alloc(connection), xcb_key_symbols_free)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11GlobalShortcut() override
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        release();
    }

    bool setKey(const QKeySequence& key) override
    {
        release();
        if (key.isEmpty())
            return true;
        const QKeyCombination combination = key[0];
        const QString text = key.toString(QKeySequence::PortableText);
        const xcb_keysym_t keysym = keysymOf(combination.key());
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
            keysym ? xcb_key_symbols_get_keycode(m_symbols.get(), keysym) : nullptr, std::free);
        if (!codes || codes.get()[0] == XCB_NO_SYMBOL) {
            std::fprintf(stderr, "navrik: the global shortcut %s has no key on this keyboard\n", qPrintable(text));
            return false;
        }
        m_modifiers = modifierMask(combination.keyboardModifiers());
        // The grab must match whether NumLock and CapsLock are on or off.
        const std::uint16_t numLock = numLockMask();
        const std::uint16_t locks[] = {0, XCB_MOD_MASK_LOCK, numLock, std::uint16_t(XCB_MOD_MASK_LOCK | numLock)};
        std::vector<xcb_void_cookie_t> cookies;
        for (xcb_keycode_t* code = codes.get(); *code != XCB_NO_SYMBOL; ++code) {
            m_keycodes.push_back(*code);
            for (xcb_window_t root : roots()) {
                for (std::uint16_t lock : locks)
                    cookies.push_back(xcb_grab_key_checked(m_connection, 1, root, m_modifiers | lock, *code,
                                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            }
        }
        int failure = 0;
        for (xcb_void_cookie_t cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
                failure = error->error_code;
                std::free(error);
            }
        }
        if (failure) {
            release();
            if (failure == kBadAccess)
                std::fprintf(stderr, "navrik: the global shortcut %s is held by another program\n", qPrintable(text));
            else
                std::fprintf(stderr, "navrik: the global shortcut %s can't be taken (X error %d)\n", qPrintable(text),
                             failure);
        } else if (std::exchange(m_sayFocusOnly, false)) {
            std::fprintf(stderr, "navrik: inside a Wayland session the global shortcut %s reaches Navrik only while an "
                                 "X window has the focus; bind \"navrik --paste-and-quote\" to it in the desktop's "
                                 "keyboard settings to quote from any window\n",
                         qPrintable(text));
        }
        return failure == 0;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (m_keycodes.empty() || type != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const std::uint8_t kind = event->response_type & ~0x80;
        if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (!grabbed(key->detail))
            return false;
        // The release ends the grab's press whatever modifiers are still down (the user may let
        // go of Ctrl first). A release without our press belongs to one of Navrik's own fields.
        if (kind == XCB_KEY_RELEASE) {
            if (!m_down)
                return false;
            m_down = false;
            m_lastTime = key->time;
            return true;
        }
        const std::uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
        if ((key->state & relevant) != m_modifiers)
            return false;
        // Holding the keys down runs the command once: the key's repeats come as presses without
        // a release between them, or (without detectable repeat) as a release and a press with
        // the same time. A release that never came (another program grabbed the keyboard while
        // the key was down) holds this back only until the key has been quiet for a while.
        const bool repeat = (m_down || key->time == m_lastTime) && key->time - m_lastTime < kRepeatGapMs;
        m_down = true;
        m_lastTime = key->time;
        // The command runs once the filter has returned, outside Qt's event dispatch.
        if (!repeat)
            QMetaObject::invokeMethod(this, [this] { emit activated(); }, Qt::QueuedConnection);
        return true;
    }

private:
    bool grabbed(xcb_keycode_t code) const
    {
        for (xcb_keycode_t grabbedCode : m_keycodes) {
            if (grabbedCode == code)
                return true;
        }
        return false;
    }

    std::vector<xcb_window_t> roots() const
    {
        std::vector<xcb_window_t> out;
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem; xcb_screen_next(&it))
            out.push_back(it.data->root);
        return out;
    }

    // The modifier bit NumLock sets, from the server's modifier map (Mod2 on most keyboards).
    std::uint16_t numLockMask() const
    {
        std::uint16_t mask = XCB_MOD_MASK_2;
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> numLock(
            xcb_key_symbols_get_keycode(m_symbols.get(), kNumLockSym), std::free);
        std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> map(
            xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr),
            std::free);
        if (!numLock || !map)
            return mask;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
        const int perModifier = map->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[modifier * perModifier + i];
                for (xcb_keycode_t* n = numLock.get(); code != 0 && *n != XCB_NO_SYMBOL; ++n) {
                    if (*n == code)
                        return std::uint16_t(1u << modifier);
                }
            }
        }
        return mask;
    }

    void release()
    {
        for (xcb_keycode_t code : m_keycodes) {
            for (xcb_window_t root : roots())
                xcb_ungrab_key(m_connection, code, root, XCB_MOD_MASK_ANY);
        }
        if (!m_keycodes.empty())
            xcb_flush(m_connection);
        m_keycodes.clear();
        m_down = false;
    }

    xcb_connection_t* m_connection;
    bool m_sayFocusOnly;
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> m_symbols;
    std::vector<xcb_keycode_t> m_keycodes;
    std::uint16_t m_modifiers = 0;
    bool m_down = false;            // the key is held down
    xcb_timestamp_t m_lastTime = 0; // time of its last press or release
};

} // namespace

std::unique_ptr<GlobalShortcut> createX11GlobalShortcut(bool sayFocusOnly)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    return std::make_unique<X11GlobalShortcut>(x11->connection(), sayFocusOnly);
}

} // namespace navrik
