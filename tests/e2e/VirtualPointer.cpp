// SPDX-License-Identifier: MIT
// A pointer for headless sway through wlroots' virtual pointer protocol (declared here: Debian 12
// ships no file of it). Each input line is sent at once: "move X Y", "press" or "release".
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

extern const wl_interface kPointer;
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointer};
const wl_interface* kNoTypes[5] = {};
// zwlr_virtual_pointer_v1's requests, up to frame.
const wl_message kPointerRequests[] = {{"motion", "uff", kNoTypes}, {"motion_absolute", "uuuuu", kNoTypes},
                                       {"button", "uuu", kNoTypes}, {"axis", "uuf", kNoTypes},
                                       {"frame", "", kNoTypes}};
const wl_interface kPointer = {"zwlr_virtual_pointer_v1", 1, 5, kPointerRequests, 0, nullptr};
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes}};
const wl_interface kManager = {"zwlr_virtual_pointer_manager_v1", 1, 1, kManagerRequests, 0, nullptr};
enum : std::uint32_t { kMotionAbsolute = 1, kButton = 2, kFrame = 4, kLeftButton = 0x110 };

wl_proxy* s_seat = nullptr;
wl_proxy* s_manager = nullptr;
const wl_registry_listener kRegistry{
    [](void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !s_seat)
            s_seat = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        if (std::strcmp(interface, kManager.name) == 0)
            s_manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManager, 1));
    },
    [](void*, wl_registry*, std::uint32_t) {}};

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = argc == 3 ? wl_display_connect(nullptr) : nullptr;
    if (display)
        wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, nullptr), wl_display_roundtrip(display);
    if (!s_manager)
        return std::fputs("usage: virtual_pointer WIDTH HEIGHT, under a compositor with virtual pointers\n", stderr), 1;
    const std::uint32_t width = std::strtoul(argv[1], nullptr, 10), height = std::strtoul(argv[2], nullptr, 10);
    wl_proxy* pointer = wl_proxy_marshal_flags(s_manager, 0, &kPointer, 1, 0, s_seat, nullptr);
    char line[64];
    for (std::uint32_t time = 10; std::fgets(line, sizeof line, stdin); time += 10) {
        unsigned x = 0, y = 0;
        if (std::sscanf(line, "move %u %u", &x, &y) == 2)
            wl_proxy_marshal_flags(pointer, kMotionAbsolute, nullptr, 1, 0, time, x, y, width, height);
        else
            wl_proxy_marshal_flags(pointer, kButton, nullptr, 1, 0, time, kLeftButton,
                                   std::uint32_t(std::strncmp(line, "press", 5) == 0));
        wl_proxy_marshal_flags(pointer, kFrame, nullptr, 1, 0);
        wl_display_roundtrip(display);
    }
    return 0;
}
