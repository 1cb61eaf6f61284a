// SPDX-License-Identifier: MIT
// A clipboard owner that misbehaves as the end-to-end tests ask:
//   clipboard_owner FORMATS DELAY_MS [INTEGER] < TEXT
// takes the clipboard, offers FORMATS formats that name no atom before UTF8_STRING, and answers
// each request DELAY_MS after it came, with TEXT (standard input) as UTF8_STRING, or with INTEGER
// its bytes as 32-bit numbers of that type. Prints "owning" on standard
// output once the server has made it the clipboard's owner and "asked" at each request. Runs until another program takes the clipboard.
//   clipboard_owner manager [refuse]
// plays a desktop's clipboard manager: it holds CLIPBOARD_MANAGER, and when a program asks it to
// SAVE_TARGETS it takes that program's text (UTF8_STRING, through MULTIPLE as desktops' managers
// ask), prints "saved TEXT" and, once the clipboard has no owner, owns it with that text as
// above. With refuse it answers that it saved nothing, and prints "refused".
#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

// The text of the program that asks to SAVE_TARGETS, once the clipboard it held has no owner.
std::string saveTargets(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t clipboard, xcb_atom_t utf8,
                        bool refuse)
{
    const xcb_atom_t manager = atom(connection, "CLIPBOARD_MANAGER");
    const xcb_atom_t save = atom(connection, "SAVE_TARGETS");
    const xcb_atom_t multiple = atom(connection, "MULTIPLE");
    xcb_set_selection_owner(connection, window, manager, XCB_CURRENT_TIME);
    xcb_flush(connection);
    std::string text;
    for (;;) {
        pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&readable, 1, 50);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
            std::free(event);
            if ((request.response_type & 0x7f) != XCB_SELECTION_REQUEST || request.selection != manager
                || request.target != save)
                continue;
            const xcb_atom_t pair[] = {utf8, utf8};
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, multiple, atom(connection, "ATOM_PAIR"),
                                32, 2, pair);
            xcb_convert_selection(connection, window, clipboard, multiple, multiple, request.time);
            xcb_flush(connection);
            xcb_generic_event_t* reply;
            while ((reply = xcb_wait_for_event(connection)) && (reply->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                std::free(reply);
            xcb_get_property_reply_t* property = xcb_get_property_reply(
                connection, xcb_get_property(connection, 1, window, utf8, utf8, 0, 1 << 24), nullptr);
            if (property && !refuse)
                text.assign(static_cast<const char*>(xcb_get_property_value(property)),
                            std::size_t(xcb_get_property_value_length(property)));
            std::free(property);
            std::free(reply);
            xcb_selection_notify_event_t notify{};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.time = request.time;
            notify.requestor = request.requestor;
            notify.selection = manager;
            notify.target = save;
            notify.property = refuse ? xcb_atom_t(XCB_ATOM_NONE) : request.property;
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                atom(connection, "NULL"), 32, 0, nullptr);
            xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&notify));
            xcb_flush(connection);
            std::printf(refuse ? "refused\n" : "saved %s\n", text.c_str());
            std::fflush(stdout);
        }
        if (xcb_connection_has_error(connection))
            std::exit(1);
        // The program that handed its text over has gone: the clipboard is the manager's.
        xcb_get_selection_owner_reply_t* owner
            = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard), nullptr);
        const bool orphaned = owner && owner->owner == XCB_WINDOW_NONE;
        std::free(owner);
        if (orphaned && !text.empty())
            return text;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    const bool manager = argc >= 2 && std::strcmp(argv[1], "manager") == 0;
    if (!manager && argc != 3 && argc != 4)
        return 2;
    const bool integer = !manager && argc == 4;
    const long formats = manager ? 0 : std::atol(argv[1]);
    const auto delay = std::chrono::milliseconds(manager ? 0 : std::atol(argv[2]));
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = atom(connection, "CLIPBOARD");
    const xcb_atom_t targets = atom(connection, "TARGETS");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    const std::string text = manager ? saveTargets(connection, window, clipboard, utf8, argc == 3)
                                     : std::string{std::istreambuf_iterator<char>(std::cin), {}};
    std::vector<xcb_atom_t> offered;
    for (long i = 0; i < formats; ++i)
        offered.push_back(xcb_atom_t(0x1fff0000 - i));
    offered.push_back(utf8);
    xcb_set_selection_owner(connection, window, clipboard, XCB_CURRENT_TIME);
    // "owning" only once the server has made this window the owner (the reply comes after the
    // request): a program asked to read the clipboard right after it would otherwise still find
    // the owner before, Navrik itself perhaps, and never ask this one.
    xcb_get_selection_owner_reply_t* owner
        = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard), nullptr);
    const bool owning = owner && owner->owner == window;
    std::free(owner);
    if (!owning)
        return 1;
    std::puts("owning");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR)
            return 0;
        if (type == XCB_SELECTION_REQUEST) {
            const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
            std::puts("asked");
            std::fflush(stdout);
            std::this_thread::sleep_for(delay);
            xcb_selection_notify_event_t notify{};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.time = request->time;
            notify.requestor = request->requestor;
            notify.selection = request->selection;
            notify.target = request->target;
            notify.property = request->property;
            if (request->target == targets)
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor, request->property,
                                    XCB_ATOM_ATOM, 32, std::uint32_t(offered.size()), offered.data());
            else if (request->target == utf8)
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor, request->property,
                                    integer ? xcb_atom_t(XCB_ATOM_INTEGER) : utf8, integer ? 32 : 8,
                                    std::uint32_t(integer ? text.size() / 4 : text.size()), text.data());
            else
                notify.property = XCB_ATOM_NONE;
            xcb_send_event(connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&notify));
            xcb_flush(connection);
        }
        std::free(event);
    }
    return 0;
}
