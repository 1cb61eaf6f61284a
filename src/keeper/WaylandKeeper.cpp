// SPDX-License-Identifier: MIT
// The clipboard keeper on Wayland: a data-control source of its own holds the text, and the
// compositor passes each paste on to it as a pipe. Each is written as fast as its program reads,
// at most kSends at a time, each given up after kStalled without progress.
#include "keeper/WaylandKeeper.h"

#include "protocols/DataControlProtocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace navrik::keeper {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kSends = 16;
constexpr auto kStalled = std::chrono::seconds(10);

using namespace dataControl;

class Keeper {
public:
    Keeper(wl_display* display, std::shared_ptr<const std::string> text) : m_display(display), m_text(std::move(text)) {}

    ~Keeper()
    {
        for (const Send& send : m_sends)
            ::close(send.fd);
        if (m_source)
            wl_proxy_marshal_flags(m_source, kSourceDestroy, nullptr, wl_proxy_get_version(m_source), WL_MARSHAL_FLAG_DESTROY);
        if (m_device)
            wl_proxy_marshal_flags(m_device, kDeviceDestroy, nullptr, wl_proxy_get_version(m_device), WL_MARSHAL_FLAG_DESTROY);
        if (m_manager)
            wl_proxy_marshal_flags(m_manager, kManagerDestroy, nullptr, wl_proxy_get_version(m_manager),
                                   WL_MARSHAL_FLAG_DESTROY);
        if (m_seat)
            wl_proxy_destroy(m_seat);
        if (m_registry)
            wl_registry_destroy(m_registry);
    }

    int run(int told)
    {
        m_registry = wl_display_get_registry(m_display);
        static constexpr wl_registry_listener registry{global, [](void*, wl_registry*, std::uint32_t) {}};
        wl_registry_add_listener(m_registry, &registry, this);
        if (wl_display_roundtrip(m_display) < 0 || !m_protocol || !m_seat)
            return 1;
        m_manager = static_cast<wl_proxy*>(wl_registry_bind(m_registry, m_managerName, m_protocol->manager, m_managerVersion));
        const std::uint32_t version = wl_proxy_get_version(m_manager);
        m_device = wl_proxy_marshal_flags(m_manager, kGetDataDevice, m_protocol->device, version, 0, nullptr, m_seat);
        static constexpr DeviceListener device{[](void*, wl_proxy*, wl_proxy*) {}, dropOffer, finished, dropOffer};
        listen(m_device, device, this);
        m_source = wl_proxy_marshal_flags(m_manager, kCreateDataSource, m_protocol->source, version, 0, nullptr);
        static constexpr SourceListener source{send, finished};
        listen(m_source, source, this);
        for (const char* type : kTextTypes)
            wl_proxy_marshal_flags(m_source, kOffer, nullptr, version, 0, type);
        wl_proxy_marshal_flags(m_device, kSetSelection, nullptr, version, 0, m_source);
        if (wl_display_roundtrip(m_display) < 0 || m_ended)
            return 1;
        [[maybe_unused]] const ssize_t written = ::write(told, "1", 1);
        ::close(told);
        while (!m_ended && serve()) {
        }
        return 0;
    }

private:
    struct Send {
        int fd;
        std::size_t done;
        Clock::time_point deadline;
    };

    static Keeper* of(void* data) { return static_cast<Keeper*>(data); }

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
    {
        Keeper* k = of(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !k->m_seat) {
            k->m_seat = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (const DataControlProtocol* protocol = betterDataControl(interface, k->m_protocol)) {
            k->m_protocol = protocol;
            k->m_managerName = name;
            k->m_managerVersion = std::min(version, protocol->version);
        }
    }
    // The keeper reads nothing: the offers of other programs' clipboards go unread.
    static void dropOffer(void*, wl_proxy*, wl_proxy* offer)
    {
        if (offer)
            wl_proxy_marshal_flags(offer, kOfferDestroy, nullptr, wl_proxy_get_version(offer), WL_MARSHAL_FLAG_DESTROY);
    }
    // Another program copied (the source is cancelled), or the device is gone.
    static void finished(void* data, wl_proxy*) { of(data)->m_ended = true; }
    static void send(void* data, wl_proxy*, const char* type, std::int32_t fd)
    {
        Keeper* k = of(data);
        if (!isTextType(type) || k->m_sends.size() >= kSends) {
            ::close(fd);
            return;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        k->m_sends.push_back({fd, 0, Clock::now() + kStalled});
    }

    // Waits for the compositor or a paste, and runs what came. False once the compositor is gone.
    bool serve()
    {
        while (wl_display_prepare_read(m_display) != 0) {
            if (wl_display_dispatch_pending(m_display) < 0)
                return false;
        }
        wl_display_flush(m_display);
        std::vector<pollfd> ready{{wl_display_get_fd(m_display), POLLIN, 0}};
        for (const Send& send : m_sends)
            ready.push_back({send.fd, POLLOUT, 0});
        int timeout = -1;
        const auto first = std::min_element(m_sends.begin(), m_sends.end(),
                                            [](const Send& a, const Send& b) { return a.deadline < b.deadline; });
        if (first != m_sends.end())
            timeout = int(std::max<long long>(
                0, std::chrono::ceil<std::chrono::milliseconds>(first->deadline - Clock::now()).count()));
        if (::poll(ready.data(), ready.size(), timeout) < 0 && errno != EINTR) {
            wl_display_cancel_read(m_display);
            return false;
        }
        if (ready[0].revents != 0) {
            if (wl_display_read_events(m_display) < 0)
                return false;
        } else {
            wl_display_cancel_read(m_display);
        }
        for (std::size_t i = 1; i < ready.size(); ++i) {
            Send& send = m_sends[i - 1];
            if (ready[i].revents != 0 && !write(send))
                send.deadline = Clock::time_point::min(); // done, or its program went away
        }
        const auto later = Clock::now();
        std::erase_if(m_sends, [&](const Send& send) {
            if (send.deadline > later)
                return false;
            ::close(send.fd);
            return true;
        });
        return wl_display_dispatch_pending(m_display) >= 0;
    }

    // Writes what the pipe takes. False once the text is written or the pipe is broken.
    bool write(Send& send)
    {
        for (;;) {
            if (send.done == m_text->size())
                return false;
            const ssize_t n = ::write(send.fd, m_text->data() + send.done, m_text->size() - send.done);
            if (n > 0) {
                send.done += std::size_t(n);
                send.deadline = Clock::now() + kStalled;
            } else if (n < 0 && errno != EINTR) {
                return errno == EAGAIN;
            }
        }
    }

    wl_display* m_display;
    std::shared_ptr<const std::string> m_text;
    wl_registry* m_registry = nullptr;
    wl_proxy* m_seat = nullptr;
    const DataControlProtocol* m_protocol = nullptr;
    std::uint32_t m_managerName = 0;
    std::uint32_t m_managerVersion = 0;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    wl_proxy* m_source = nullptr;
    std::vector<Send> m_sends;
    bool m_ended = false;
};

} // namespace

int keepOnWayland(std::shared_ptr<const std::string> text, int told)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return 1;
    int status;
    {
        Keeper keeper(display, std::move(text));
        status = keeper.run(told);
    }
    wl_display_disconnect(display);
    return status;
}

} // namespace navrik::keeper
