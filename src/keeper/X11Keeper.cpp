// SPDX-License-Identifier: MIT
// The clipboard keeper on X11. It owns the CLIPBOARD selection on a window of its own and answers
// every request at once, never waiting on the program that asked: a text larger than one request
// goes out in pieces (INCR) to at most kTransfers programs at a time, each given up after kStalled
// without progress, and a MULTIPLE request is read up to kPairs conversions. Events that another
// program made up and sent (rather than the X server) are ignored, except the answers to the
// keeper's own requests, which owners send that way.
#include "keeper/X11Keeper.h"

#include <xcb/xcb.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace navrik::keeper {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kTransfers = 16;
constexpr auto kStalled = std::chrono::seconds(10);
constexpr auto kOwnerAnswer = std::chrono::seconds(3);
constexpr std::uint32_t kPairs = 64;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> owned(T* pointer)
{
    return Reply<T>(pointer, &std::free);
}

// The text as Latin-1 (STRING): the same bytes when it is ASCII, none when a character lies
// beyond Latin-1.
std::shared_ptr<const std::string> latin1(const std::shared_ptr<const std::string>& utf8)
{
    const std::string& in = *utf8;
    if (std::all_of(in.begin(), in.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return utf8;
    auto out = std::make_shared<std::string>();
    out->reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto lead = static_cast<unsigned char>(in[i]);
        if (lead < 0x80) {
            *out += char(lead);
            continue;
        }
        // U+0080 to U+00FF: C2 or C3, then one continuation byte.
        const auto next = i + 1 < in.size() ? static_cast<unsigned char>(in[i + 1]) : 0;
        if ((lead != 0xC2 && lead != 0xC3) || (next & 0xC0) != 0x80)
            return nullptr;
        *out += char(((lead & 0x03) << 6) | (next & 0x3F));
        ++i;
    }
    return out;
}

class Keeper {
public:
    Keeper(xcb_connection_t* connection, std::shared_ptr<const std::string> text)
        : m_connection(connection), m_text(std::move(text)), m_latin1(latin1(m_text))
    {
        m_piece = std::min<std::size_t>(std::size_t(xcb_get_maximum_request_length(connection)) * 4 - 64, 1u << 20);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        m_window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char* names[] = {"CLIPBOARD", "TARGETS", "TIMESTAMP", "MULTIPLE", "INCR", "UTF8_STRING", "TEXT",
                               "text/plain;charset=utf-8", "text/plain", "CLIPBOARD_MANAGER", "SAVE_TARGETS",
                               "NAVRIK_KEEPER"};
        xcb_atom_t* atoms[] = {&m_clipboard, &m_targets, &m_timestamp, &m_multiple, &m_incr, &m_utf8, &m_textAtom,
                               &m_plainUtf8, &m_plain, &m_manager, &m_saveTargets, &m_property};
        static_assert(std::size(atoms) == std::size(names), "one member for each name");
        xcb_intern_atom_cookie_t cookies[std::size(names)];
        for (std::size_t i = 0; i < std::size(names); ++i)
            cookies[i] = xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(names[i])), names[i]);
        for (std::size_t i = 0; i < std::size(names); ++i) {
            if (const auto reply = owned(xcb_intern_atom_reply(connection, cookies[i], nullptr)))
                *atoms[i] = reply->atom;
        }
    }

    int run(xcb_window_t navrik, int told)
    {
        // Made just after the time Navrik took the clipboard, the keeper's claim is refused by the
        // server when another program has taken it since: that program's text stands. (Made at that
        // very time, Qt would take the keeper's claim for one older than its own, and not let go.)
        const std::optional<xcb_timestamp_t> time = ownersTime();
        if (!time || owner(m_clipboard) != navrik)
            return 1;
        m_time = *time + 1;
        xcb_set_selection_owner(m_connection, m_window, m_clipboard, m_time);
        if (owner(m_clipboard) != m_window)
            return 1;
        [[maybe_unused]] const ssize_t written = ::write(told, "1", 1);
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                handle(*event);
                std::free(event);
                if (m_ended)
                    return 0;
            }
            if (xcb_connection_has_error(m_connection))
                return 0; // the display went away
            xcb_flush(m_connection);
            const auto now = Clock::now();
            for (auto t = m_transfers.begin(); t != m_transfers.end();)
                t = t->deadline <= now ? finish(t) : t + 1;
            int timeout = -1;
            const auto first = std::min_element(m_transfers.begin(), m_transfers.end(),
                                                [](const Transfer& a, const Transfer& b) { return a.deadline < b.deadline; });
            if (first != m_transfers.end())
                timeout = int(std::chrono::ceil<std::chrono::milliseconds>(first->deadline - now).count());
            // Navrik's end of `told` is shut for writing already (the end of the text): what
            // tells is a hang-up.
            pollfd ready[] = {{xcb_get_file_descriptor(m_connection), POLLIN, 0}, {told, 0, 0}};
            ::poll(ready, told < 0 ? 1 : 2, timeout);
            if (told >= 0 && ready[1].revents != 0) {
                // Navrik has seen the clipboard go and lets go of the keeper: only now may a
                // clipboard manager have the text, or Navrik's toolkit, finding the clipboard
                // without an owner once the manager has it and the keeper has ended, would hand
                // it over a second time as Navrik ends. The manager takes it in its own time;
                // until it says it has, the keeper answers everyone, the manager included, and
                // when it refuses, goes on answering.
                ::close(std::exchange(told, -1));
                if (owner(m_manager) != XCB_WINDOW_NONE)
                    xcb_convert_selection(m_connection, m_window, m_manager, m_saveTargets, m_property, m_time);
            }
        }
    }

private:
    // A text going out in pieces: the property of the program's window it goes through, and how
    // much of it has gone.
    struct Transfer {
        xcb_window_t window;
        xcb_atom_t property;
        xcb_atom_t type;
        std::shared_ptr<const std::string> bytes;
        std::size_t done;
        Clock::time_point deadline;
    };

    xcb_window_t owner(xcb_atom_t selection)
    {
        const auto reply = owned(
            xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
        return reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
    }

    // The time the clipboard's owner took it, as it answers TIMESTAMP.
    std::optional<xcb_timestamp_t> ownersTime()
    {
        xcb_convert_selection(m_connection, m_window, m_clipboard, m_timestamp, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        const auto deadline = Clock::now() + kOwnerAnswer;
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const auto held = owned(event);
                const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event);
                if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY || notify->requestor != m_window
                    || notify->target != m_timestamp)
                    continue;
                if (notify->property == XCB_ATOM_NONE)
                    return std::nullopt;
                const auto value = owned(xcb_get_property_reply(
                    m_connection,
                    xcb_get_property(m_connection, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
                    nullptr));
                if (!value || value->format != 32 || xcb_get_property_value_length(value.get()) != 4)
                    return std::nullopt;
                return *static_cast<const xcb_timestamp_t*>(xcb_get_property_value(value.get()));
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 || xcb_connection_has_error(m_connection))
                return std::nullopt;
            pollfd readable{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&readable, 1, int(left));
        }
    }

    void handle(const xcb_generic_event_t& event)
    {
        const bool madeUp = event.response_type & 0x80;
        switch (event.response_type & 0x7f) {
        case XCB_SELECTION_REQUEST:
            if (!madeUp)
                answer(reinterpret_cast<const xcb_selection_request_event_t&>(event));
            break;
        case XCB_SELECTION_CLEAR:
            // Another program copied.
            if (!madeUp && reinterpret_cast<const xcb_selection_clear_event_t&>(event).selection == m_clipboard)
                m_ended = true;
            break;
        case XCB_SELECTION_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
            // The clipboard manager has the text.
            if (notify.requestor == m_window && notify.selection == m_manager && notify.target == m_saveTargets
                && notify.property != XCB_ATOM_NONE)
                m_ended = true;
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (!madeUp && change.state == XCB_PROPERTY_DELETE)
                nextPiece(change.window, change.atom);
            break;
        }
        default:
            break; // errors of requests on windows that went away meanwhile among them
        }
    }

    void answer(const xcb_selection_request_event_t& request)
    {
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        // A program older than the conventions names no property: the target is the property then.
        const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
        const bool current = request.time == XCB_CURRENT_TIME || request.time >= m_time;
        const bool done = request.selection == m_clipboard && current
            && convert(request.requestor, request.target, property);
        notify.property = done ? property : xcb_atom_t(XCB_ATOM_NONE);
        xcb_send_event(m_connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
    }

    bool convert(xcb_window_t window, xcb_atom_t target, xcb_atom_t property)
    {
        if (target == m_targets) {
            std::vector<xcb_atom_t> offered{m_targets, m_timestamp, m_multiple, m_utf8, m_plainUtf8, m_plain, m_textAtom};
            if (m_latin1)
                offered.push_back(XCB_ATOM_STRING);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                                std::uint32_t(offered.size()), offered.data());
            return true;
        }
        if (target == m_timestamp) {
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_INTEGER, 32, 1, &m_time);
            return true;
        }
        if (target == m_multiple)
            return convertEach(window, property);
        if (target == m_utf8 || target == m_textAtom)
            return put(window, property, m_utf8, m_text);
        if (target == m_plainUtf8 || target == m_plain)
            return put(window, property, target, m_text);
        if (target == XCB_ATOM_STRING && m_latin1)
            return put(window, property, XCB_ATOM_STRING, m_latin1);
        return false;
    }

    // MULTIPLE: the property holds pairs of a target and the property to convert it into; each
    // one refused becomes a pair with no property.
    bool convertEach(xcb_window_t window, xcb_atom_t property)
    {
        const auto reply = owned(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kPairs * 2),
            nullptr));
        if (!reply || reply->format != 32)
            return false;
        const auto* start = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        std::vector<xcb_atom_t> pairs(start, start + xcb_get_property_value_length(reply.get()) / 8 * 2);
        for (std::size_t i = 0; i < pairs.size(); i += 2) {
            if (pairs[i] == m_multiple || pairs[i + 1] == XCB_ATOM_NONE || !convert(window, pairs[i], pairs[i + 1]))
                pairs[i + 1] = XCB_ATOM_NONE;
        }
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, reply->type, 32,
                            std::uint32_t(pairs.size()), pairs.data());
        return true;
    }

    bool put(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, const std::shared_ptr<const std::string>& bytes)
    {
        if (bytes->size() <= m_piece) {
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                                std::uint32_t(bytes->size()), bytes->data());
            return true;
        }
        const auto again = std::find_if(m_transfers.begin(), m_transfers.end(), [&](const Transfer& t) {
            return t.window == window && t.property == property;
        });
        if (again != m_transfers.end())
            finish(again);
        if (m_transfers.size() >= kTransfers || bytes->size() > UINT32_MAX)
            return false;
        // In pieces: the program deletes the property to ask for the next one.
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &events);
        const auto size = std::uint32_t(bytes->size());
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, m_incr, 32, 1, &size);
        m_transfers.push_back({window, property, type, bytes, 0, Clock::now() + kStalled});
        return true;
    }

    void nextPiece(xcb_window_t window, xcb_atom_t property)
    {
        const auto transfer = std::find_if(m_transfers.begin(), m_transfers.end(), [&](const Transfer& t) {
            return t.window == window && t.property == property;
        });
        if (transfer == m_transfers.end())
            return;
        const std::size_t size = std::min(m_piece, transfer->bytes->size() - transfer->done);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, property, transfer->type, 8,
                            std::uint32_t(size), transfer->bytes->data() + transfer->done);
        transfer->done += size;
        transfer->deadline = Clock::now() + kStalled;
        if (size == 0) // the empty piece that ends the text
            finish(transfer);
    }

    // Forgets a transfer, and stops listening to its window when no other goes through it.
    std::vector<Transfer>::iterator finish(std::vector<Transfer>::iterator transfer)
    {
        const xcb_window_t window = transfer->window;
        const auto next = m_transfers.erase(transfer);
        if (std::none_of(m_transfers.begin(), m_transfers.end(), [&](const Transfer& t) { return t.window == window; })) {
            const std::uint32_t none = 0;
            xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &none);
        }
        return next;
    }

    xcb_connection_t* m_connection;
    std::shared_ptr<const std::string> m_text;
    std::shared_ptr<const std::string> m_latin1; // none when the text doesn't fit in STRING
    std::size_t m_piece = 0;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_timestamp_t m_time = XCB_CURRENT_TIME;
    std::vector<Transfer> m_transfers;
    bool m_ended = false;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    xcb_atom_t m_timestamp = XCB_ATOM_NONE;
    xcb_atom_t m_multiple = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
    xcb_atom_t m_textAtom = XCB_ATOM_NONE;
    xcb_atom_t m_plainUtf8 = XCB_ATOM_NONE;
    xcb_atom_t m_plain = XCB_ATOM_NONE;
    xcb_atom_t m_manager = XCB_ATOM_NONE;
    xcb_atom_t m_saveTargets = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
};

} // namespace

int keepOnX11(std::shared_ptr<const std::string> text, std::uint32_t navrik, int told)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    int status = 1;
    if (!xcb_connection_has_error(connection))
        status = Keeper(connection, std::move(text)).run(navrik, told);
    xcb_disconnect(connection);
    return status;
}

} // namespace navrik::keeper
