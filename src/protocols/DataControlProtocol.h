// SPDX-License-Identifier: MIT
#pragma once

#include <wayland-client-core.h>

#include <array>
#include <cstdint>

namespace navrik {

// The two data-control protocols (ext-data-control-v1, zwlr-data-control-unstable-v1) are one
// protocol under two names: the same requests and events in the same order. One client serves
// both, each request sent by its number.
struct DataControlProtocol {
    const char* global;
    std::uint32_t version; // the highest version Navrik knows
    const wl_interface* manager;
    const wl_interface* device;
    const wl_interface* source;
    const wl_interface* offer;
};

// The protocol a compositor's global of this interface offers, if it is one, and whether it is
// better than `known` (none, or the one found so far).
const DataControlProtocol* betterDataControl(const char* interface, const DataControlProtocol* known);

// The requests' numbers, each object's own.
namespace dataControl {
inline constexpr std::uint32_t kCreateDataSource = 0, kGetDataDevice = 1, kManagerDestroy = 2; // manager
inline constexpr std::uint32_t kSetSelection = 0, kDeviceDestroy = 1;                          // device
inline constexpr std::uint32_t kOffer = 0, kSourceDestroy = 1;                                 // source
inline constexpr std::uint32_t kReceive = 0, kOfferDestroy = 1;                                // offer

// The events of each object, in their order.
struct DeviceListener {
    void (*dataOffer)(void*, wl_proxy*, wl_proxy*);
    void (*selection)(void*, wl_proxy*, wl_proxy*);
    void (*finished)(void*, wl_proxy*);
    void (*primarySelection)(void*, wl_proxy*, wl_proxy*);
};
struct OfferListener {
    void (*offer)(void*, wl_proxy*, const char*);
};
struct SourceListener {
    void (*send)(void*, wl_proxy*, const char*, std::int32_t);
    void (*cancelled)(void*, wl_proxy*);
};

// Sets the listener of an object to one of the above.
template <typename Listener> void listen(wl_proxy* proxy, const Listener& listener, void* data)
{
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)), data);
}
} // namespace dataControl

// The types a text comes in, the most precise first. Navrik offers its text in all of them, as
// UTF-8 (X11 programs read the clipboard through the compositor under the X names).
inline constexpr std::array<const char*, 5> kTextTypes{"text/plain;charset=utf-8", "UTF8_STRING", "text/plain",
                                                       "TEXT", "STRING"};
bool isTextType(const char* type);

} // namespace navrik
