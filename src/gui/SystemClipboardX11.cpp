// SPDX-License-Identifier: MIT
// The clipboard on X11. Navrik reads it through an X connection of its own and waits for the owner
// here, without an event loop, so that any program on the display costs it a bounded time: at most
// kFormatsLooked of the formats the owner offers are looked at, and the whole transfer ends after
// kTransferMs. Every text form an X11 program offers is read: UTF8_STRING, text/plain with any
// charset the converters know, COMPOUND_TEXT, STRING and TEXT; a reply of another type is no text.
// Writing stays Qt's: its QClipboard serves other programs' requests from the event loop, and
// while one of Qt's windows owns the clipboard, the text is read back from Qt. As Navrik ends, the
// text it owns goes to navrik-clipboard-keeper, which hands it to the clipboard manager where one
// runs and otherwise keeps serving it.
#include "gui/SystemClipboard.h"

#include "core/CompoundText.h"
#include "gui/ClipboardKeeper.h"
#include "gui/CommandScope.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTimer>
#include <QWindow>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

// Xlib's name of the display a connection was opened to; its header would bring in macros that
// clash with Qt's names.
extern "C" char* XDisplayString(Display* display);

namespace navrik {

namespace {

constexpr std::uint32_t kFormatsLooked = 256;
constexpr int kTransferMs = 4000;
constexpr std::uint32_t kLargestText = 256u << 20;

template <typename T>
using Owned = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Owned<T> owned(T* pointer)
{
    return Owned<T>(pointer, &std::free);
}

// A property as the owner left it on Navrik's window.
struct Property {
    xcb_atom_t type = XCB_ATOM_NONE;
    std::uint8_t format = 0;
    QByteArray data;
    bool tooLarge = false; // more than the reader's limit was offered; data holds the first part
};

// One format to ask the owner for, with the charset a text/plain format names.
struct Candidate {
    xcb_atom_t target;
    QByteArray charset;
};

class X11SystemClipboard : public SystemClipboard {
public:
    // qtConnection is Qt's own, whose windows hold the clipboard when Navrik has copied.
    X11SystemClipboard(xcb_connection_t* connection, xcb_connection_t* qtConnection) : m_connection(connection)
    {
        const xcb_setup_t* qtSetup = xcb_get_setup(qtConnection);
        m_qtIds = qtSetup->resource_id_base;
        m_qtIdMask = qtSetup->resource_id_mask;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        m_window = xcb_generate_id(connection);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        const char* names[] = {"CLIPBOARD", "TARGETS", "INCR", "UTF8_STRING", "COMPOUND_TEXT", "TEXT",
                               "NAVRIK_CLIPBOARD"};
        xcb_intern_atom_cookie_t cookies[std::size(names)];
        for (std::size_t i = 0; i < std::size(names); ++i)
            cookies[i] = xcb_intern_atom(connection, 0, std::uint16_t(qstrlen(names[i])), names[i]);
        xcb_atom_t* atoms[] = {&m_clipboard, &m_targets, &m_incr, &m_utf8, &m_compound, &m_text, &m_property};
        static_assert(std::size(atoms) == std::size(names), "one member for each name");
        for (std::size_t i = 0; i < std::size(names); ++i) {
            if (Owned<xcb_intern_atom_reply_t> reply = owned(xcb_intern_atom_reply(connection, cookies[i], nullptr)))
                *atoms[i] = reply->atom;
        }
    }

    ~X11SystemClipboard() override { xcb_disconnect(m_connection); }

    std::optional<QString> text() override
    {
        if (xcb_connection_has_error(m_connection))
            return std::nullopt;
        if (qtOwner() != XCB_WINDOW_NONE) {
            QString own = QGuiApplication::clipboard()->text();
            return own.isEmpty() ? std::nullopt : std::optional<QString>(std::move(own));
        }
        // Whatever a request given up on brought meanwhile is no answer to this one.
        while (xcb_generic_event_t* stale = xcb_poll_for_event(m_connection))
            std::free(stale);
        const QDeadlineTimer deadline(kTransferMs);
        bool timedOut = false;
        QString text;
        for (const Candidate& candidate : candidates(deadline, timedOut)) {
            Property reply;
            if (!convert(candidate.target, deadline, kLargestText, reply, timedOut))
                continue;
            if (reply.tooLarge) {
                std::fprintf(stderr, "navrik: the clipboard's text is larger than %u MB; it was not taken\n",
                             kLargestText >> 20);
                return std::nullopt;
            }
            if (decode(reply, candidate, text))
                break;
        }
        if (timedOut)
            std::fprintf(stderr, "navrik: the clipboard's owner did not hand its text over within %d seconds\n",
                         kTransferMs / 1000);
        if (text.isEmpty())
            return std::nullopt;
        return text;
    }

    void setText(const QString& text) override
    {
        catchUpQtTime();
        QGuiApplication::clipboard()->setText(text);
    }

    void keepAtEnd() override
    {
        const xcb_window_t owner = qtOwner();
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QString text = owner == XCB_WINDOW_NONE ? QString() : clipboard->text();
        if (text.isEmpty())
            return;
        // Qt hands what it owns to the clipboard manager as it closes the display; the keeper does
        // that (where one runs), so Qt must own nothing by then, or the manager is asked twice.
        if (clipboard->ownsSelection())
            clipboard->clear(QClipboard::Selection);
        handToKeeper({"x11", QByteArray::number(owner)}, text.toUtf8(), [clipboard] { return !clipboard->ownsClipboard(); });
    }

private:
    // Qt takes the clipboard at the last server time it has heard of, and the server ignores that
    // when another program took the clipboard later (at the server's current time, as most do)
    // and Qt has not yet read the events that tell of it: the text would silently not be copied.
    // A property changed on one of Qt's windows brings Qt an event of the current time; it is
    // waited for (a second at most) until Qt has read it; what comes from outside meanwhile (a
    // command over the socket, the global shortcut) waits as it does for a command.
    void catchUpQtTime()
    {
        const CommandScope waiting;
        const QList<QWindow*> windows = QGuiApplication::topLevelWindows();
        const auto made = std::find_if(windows.begin(), windows.end(), [](QWindow* w) { return w->handle(); });
        if (made == windows.end())
            return;
        PropertyWatch watch(xcb_window_t((*made)->winId()), m_property);
        qApp->installNativeEventFilter(&watch);
        xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, watch.window, m_property, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        xcb_flush(m_connection);
        QTimer tick; // wakes the wait below should the event not come
        tick.start(20);
        const QDeadlineTimer deadline(1000);
        while (!watch.seen && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
        qApp->removeNativeEventFilter(&watch);
    }

    // Sees Qt's event of a property changed on one of its windows, just before Qt reads its time.
    struct PropertyWatch : QAbstractNativeEventFilter {
        PropertyWatch(xcb_window_t window, xcb_atom_t property) : window(window), property(property) {}
        bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
        {
            const auto* event = static_cast<const xcb_property_notify_event_t*>(message);
            if (type == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY
                && event->window == window && event->atom == property)
                seen = true;
            return false;
        }
        xcb_window_t window;
        xcb_atom_t property;
        bool seen = false;
    };

    // The window of Qt's that owns the clipboard, or none. Asked of the server: Qt may not have
    // heard yet that another program took the clipboard.
    xcb_window_t qtOwner()
    {
        const Owned<xcb_get_selection_owner_reply_t> owner = owned(
            xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, m_clipboard), nullptr));
        if (owner && owner->owner != XCB_WINDOW_NONE && (owner->owner & ~m_qtIdMask) == m_qtIds)
            return owner->owner;
        return XCB_WINDOW_NONE;
    }

    // The text formats the owner offers, best first. Without a list of them (an owner that
    // doesn't give one), or when none is among the formats looked at, the three that every X11
    // program understands.
    std::vector<Candidate> candidates(const QDeadlineTimer& deadline, bool& timedOut)
    {
        const std::vector<Candidate> understood{{m_utf8, {}}, {m_compound, {}}, {XCB_ATOM_STRING, {}}};
        Property list;
        if (!convert(m_targets, deadline, kFormatsLooked * 4, list, timedOut) || list.format != 32
            || list.type != XCB_ATOM_ATOM)
            return timedOut ? std::vector<Candidate>() : understood;
        if (list.tooLarge)
            std::fprintf(stderr, "navrik: the clipboard's owner offers more than %u formats; only the first %u were "
                                 "looked at\n", kFormatsLooked, kFormatsLooked);
        const auto* offered = reinterpret_cast<const xcb_atom_t*>(list.data.constData());
        const std::size_t count = std::size_t(list.data.size()) / sizeof(xcb_atom_t);
        std::vector<xcb_get_atom_name_cookie_t> cookies;
        for (std::size_t i = 0; i < count; ++i)
            cookies.push_back(xcb_get_atom_name(m_connection, offered[i]));
        // Ranks: UTF-8 first, then text/plain in another charset, then the X11 encodings.
        std::vector<Candidate> ranked[4];
        for (std::size_t i = 0; i < count; ++i) {
            xcb_generic_error_t* error = nullptr;
            const Owned<xcb_get_atom_name_reply_t> name
                = owned(xcb_get_atom_name_reply(m_connection, cookies[i], &error));
            std::free(error); // a format that names no atom is none of ours
            if (!name)
                continue;
            const QByteArray format(xcb_get_atom_name_name(name.get()), xcb_get_atom_name_name_length(name.get()));
            const xcb_atom_t atom = offered[i];
            if (atom == m_utf8) {
                ranked[0].push_back({atom, {}});
            } else if (format.startsWith("text/plain;charset=")) {
                QByteArray charset = format.mid(19).trimmed();
                const bool utf8 = charset.compare("utf-8", Qt::CaseInsensitive) == 0;
                if (QStringDecoder(charset.constData()).isValid())
                    ranked[utf8 ? 0 : 1].push_back({atom, std::move(charset)});
            } else if (atom == m_compound || atom == XCB_ATOM_STRING || atom == m_text) {
                ranked[2].push_back({atom, {}});
            } else if (format == "text/plain") {
                ranked[3].push_back({atom, QByteArrayLiteral("utf-8")});
            }
        }
        std::vector<Candidate> out;
        for (std::vector<Candidate>& rank : ranked)
            out.insert(out.end(), rank.begin(), rank.end());
        return out.empty() && list.tooLarge ? understood : out;
    }

    // Sets text to the reply as text: by its type (UTF8_STRING, STRING, COMPOUND_TEXT), or by the charset of the
    // text/plain format asked for when the owner answered in that format. Nothing for any other
    // type (false then). As Qt's own clipboard did, a NUL at the very end is no part of the text (some programs
    // end their text with one) and UTF-8's byte-order mark at the very start is dropped.
    bool decode(const Property& reply, const Candidate& asked, QString& text) const
    {
        if (reply.format != 8)
            return false;
        if (reply.type == m_utf8) {
            text = QString::fromUtf8(reply.data);
        } else if (reply.type == XCB_ATOM_STRING) {
            text = QString::fromLatin1(reply.data);
        } else if (reply.type == m_compound) {
            text = QString::fromStdString(compoundTextToUtf8(std::string_view(reply.data.constData(), std::size_t(reply.data.size()))));
        } else if (reply.type == asked.target && !asked.charset.isEmpty()) {
            QStringDecoder decoder(asked.charset.constData());
            text = decoder(reply.data);
        } else {
            return false;
        }
        if (text.endsWith(QChar(0)))
            text.chop(1);
        return true;
    }

    // Asks the owner for the clipboard as `target` and reads the reply, in pieces when the owner
    // sends it so (INCR), up to `limit` bytes. False when the owner refused or did not answer by the
    // deadline (timedOut set).
    bool convert(xcb_atom_t target, const QDeadlineTimer& deadline, std::uint32_t limit, Property& out,
                 bool& timedOut)
    {
        if (deadline.hasExpired()) {
            timedOut = true;
            return false;
        }
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_convert_selection(m_connection, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        const Owned<xcb_generic_event_t> event = waitFor(deadline, timedOut, [&](const xcb_generic_event_t* e) {
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
            return (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY && notify->requestor == m_window
                && notify->selection == m_clipboard && notify->target == target;
        });
        if (!event)
            return false;
        if (reinterpret_cast<const xcb_selection_notify_event_t*>(event.get())->property == XCB_ATOM_NONE)
            return false;
        if (!read(limit, out))
            return false;
        if (out.type != m_incr)
            return true;
        // In pieces: each new value of the property is the next one, an empty one the end.
        out = Property();
        for (;;) {
            const Owned<xcb_generic_event_t> next = waitFor(deadline, timedOut, [&](const xcb_generic_event_t* e) {
                const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                return (e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && change->window == m_window
                    && change->atom == m_property && change->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!next)
                return false;
            Property piece;
            if (!read(limit - std::uint32_t(out.data.size()), piece))
                return false;
            out.type = piece.type;
            out.format = piece.format;
            out.data += piece.data;
            if (piece.tooLarge || out.data.size() >= qsizetype(limit)) {
                out.tooLarge = true;
                return true;
            }
            if (piece.data.isEmpty())
                return true;
        }
    }

    // Reads and deletes the property, up to `limit` bytes.
    bool read(std::uint32_t limit, Property& out)
    {
        const Owned<xcb_get_property_reply_t> reply = owned(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, (limit + 3) / 4),
            nullptr));
        if (!reply)
            return false;
        out.type = reply->type;
        out.format = reply->format;
        const int length = xcb_get_property_value_length(reply.get());
        out.data = QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                              std::min<qsizetype>(length, qsizetype(limit)));
        out.tooLarge = reply->bytes_after > 0 || length > qsizetype(limit);
        if (reply->bytes_after > 0) // only a property read whole is deleted by the read
            xcb_delete_property(m_connection, m_window, m_property);
        return true;
    }

    // The next event that `wanted` takes, or nothing (timedOut set) once the deadline has passed;
    // the events before it are dropped.
    template <typename Wanted>
    Owned<xcb_generic_event_t> waitFor(const QDeadlineTimer& deadline, bool& timedOut, Wanted wanted)
    {
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                Owned<xcb_generic_event_t> held = owned(event);
                if (wanted(event))
                    return held;
            }
            const qint64 left = deadline.remainingTime();
            if (left == 0 || xcb_connection_has_error(m_connection)) {
                timedOut = timedOut || left == 0;
                return owned<xcb_generic_event_t>(nullptr);
            }
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, int(left));
        }
    }

    xcb_connection_t* m_connection;
    std::uint32_t m_qtIds = 0; // the ids of Qt's windows: these bits as they are here
    std::uint32_t m_qtIdMask = 0;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
    xcb_atom_t m_compound = XCB_ATOM_NONE;
    xcb_atom_t m_text = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
};

} // namespace

std::unique_ptr<SystemClipboard> createX11SystemClipboard()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    // The display Qt opened, which -display may have named instead of $DISPLAY.
    xcb_connection_t* connection = xcb_connect(x11->display() ? XDisplayString(x11->display()) : nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_unique<X11SystemClipboard>(connection, x11->connection());
}

} // namespace navrik
