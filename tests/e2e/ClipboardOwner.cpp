// SPDX-License-Identifier: MIT
// clipboard_owner FORMATS DELAY_MS [INTEGER] < TEXT: owns the clipboard, offers FORMATS formats naming
// no atom before UTF8_STRING, answers each request DELAY_MS after it with TEXT (INTEGER: its bytes as
// 32-bit numbers); prints "owning" once it owns the clipboard, "asked" at each request; ends on losing it.
// clipboard_owner manager [refuse]: a clipboard manager. It takes the text of a program that asks it
// to SAVE_TARGETS, prints "saved TEXT" and owns the clipboard with it once it has no owner, as above.
// With refuse it saves nothing and prints "refused".
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

xcb_connection_t* c = nullptr;

xcb_atom_t atom(const char* name)
{
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

xcb_window_t owner(xcb_atom_t selection)
{
    auto* reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const xcb_window_t found = reply ? reply->owner : xcb_window_t(-1);
    std::free(reply);
    return found;
}

void say(const std::string& line) { std::puts(line.c_str()), std::fflush(stdout); }

// Tells the requestor its request is answered, in PROPERTY (none: refused).
void notify(const xcb_selection_request_event_t& request, xcb_atom_t property)
{
    const xcb_selection_notify_event_t notify{.response_type = XCB_SELECTION_NOTIFY, .pad0 = 0, .sequence = 0,
                                              .time = request.time, .requestor = request.requestor,
                                              .selection = request.selection, .target = request.target, .property = property};
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    xcb_flush(c);
}

// The text of the program that asks to SAVE_TARGETS, once the clipboard it held has no owner.
std::string saveTargets(xcb_window_t window, xcb_atom_t clipboard, xcb_atom_t utf8, bool refuse)
{
    const xcb_atom_t manager = atom("CLIPBOARD_MANAGER"), save = atom("SAVE_TARGETS"), multiple = atom("MULTIPLE");
    xcb_set_selection_owner(c, window, manager, XCB_CURRENT_TIME);
    xcb_flush(c);
    std::string text;
    while (!xcb_connection_has_error(c)) {
        pollfd readable{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&readable, 1, 50);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const auto request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
            std::free(event);
            if ((request.response_type & 0x7f) != XCB_SELECTION_REQUEST || request.selection != manager
                || request.target != save)
                continue;
            const xcb_atom_t pair[] = {utf8, utf8};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, multiple, atom("ATOM_PAIR"), 32, 2, pair);
            xcb_convert_selection(c, window, clipboard, multiple, multiple, request.time);
            xcb_flush(c);
            xcb_generic_event_t* reply;
            while ((reply = xcb_wait_for_event(c)) && (reply->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                std::free(reply);
            std::free(reply);
            auto* property = xcb_get_property_reply(c, xcb_get_property(c, 1, window, utf8, utf8, 0, 1 << 24), nullptr);
            if (property && !refuse)
                text.assign(static_cast<const char*>(xcb_get_property_value(property)),
                            std::size_t(xcb_get_property_value_length(property)));
            std::free(property);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property, atom("NULL"), 32, 0,
                                nullptr);
            notify(request, refuse ? xcb_atom_t(XCB_ATOM_NONE) : request.property);
            say(refuse ? "refused" : "saved " + text);
        }
        // The program that handed its text over has gone: the clipboard is the manager's.
        if (owner(clipboard) == XCB_WINDOW_NONE && !text.empty())
            return text;
    }
    std::exit(1);
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
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, 0, 0,
                      1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = atom("CLIPBOARD"), targets = atom("TARGETS"), utf8 = atom("UTF8_STRING");
    const std::string text = manager ? saveTargets(window, clipboard, utf8, argc == 3)
                                     : std::string{std::istreambuf_iterator<char>(std::cin), {}};
    std::vector<xcb_atom_t> offered;
    for (long i = 0; i < formats; ++i)
        offered.push_back(xcb_atom_t(0x1fff0000 - i));
    offered.push_back(utf8);
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    // Said only once the server has made this window the owner: a program reading the clipboard
    // right after would otherwise still find the owner before (Navrik perhaps) and never ask this one.
    if (owner(clipboard) != window)
        return 1;
    say("owning");
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR)
            return 0;
        if (type == XCB_SELECTION_REQUEST) {
            const auto& request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
            say("asked");
            std::this_thread::sleep_for(delay);
            if (request.target == targets)
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property, XCB_ATOM_ATOM, 32,
                                    std::uint32_t(offered.size()), offered.data());
            else if (request.target == utf8)
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                    integer ? xcb_atom_t(XCB_ATOM_INTEGER) : utf8, integer ? 32 : 8,
                                    std::uint32_t(integer ? text.size() / 4 : text.size()), text.data());
            notify(request, request.target == targets || request.target == utf8 ? request.property : xcb_atom_t(XCB_ATOM_NONE));
        }
        std::free(event);
    }
    return 0;
}
