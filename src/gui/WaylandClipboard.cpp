// SPDX-License-Identifier: MIT
#include "gui/WaylandClipboard.h"

#include "gui/ClipboardKeeper.h"
#include "protocols/DataControlProtocol.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace navrik {

namespace {

// How long the compositor may take to answer, and the clipboard's owner to hand its text over.
constexpr int kAnswerMs = 2000;
constexpr int kReceiveMs = 5000;
// A program that stops reading Navrik's text is given up after this long without progress.
constexpr int kStalledSendMs = 10000;

std::uint32_t versionOf(wl_proxy* proxy) { return wl_proxy_get_version(proxy); }

// Writes to a pipe whose reader may have gone away: EPIPE instead of the SIGPIPE that would end
// Navrik.
ssize_t writeWithoutSigpipe(int fd, const char* data, std::size_t size)
{
    sigset_t pipeOnly;
    sigset_t before;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &before);
    sigset_t pending;
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE);
    const ssize_t written = ::write(fd, data, size);
    const int error = errno;
    if (written < 0 && error == EPIPE && !wasPending) {
        const timespec now{0, 0};
        sigtimedwait(&pipeOnly, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return written;
}

// Hands Navrik's text to one program that asked for it, as fast as that program reads, without
// holding up the window.
class Send : public QObject {
public:
    Send(int fd, QByteArray bytes, QObject* parent) : QObject(parent), m_fd(fd), m_bytes(std::move(bytes))
    {
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        m_writable = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
        m_writable->setEnabled(false);
        QObject::connect(m_writable, &QSocketNotifier::activated, this, &Send::write);
        m_stalled.setSingleShot(true);
        m_stalled.setInterval(kStalledSendMs);
        QObject::connect(&m_stalled, &QTimer::timeout, this, &Send::finish);
        write();
    }

    ~Send() override { ::close(m_fd); }

private:
    void write()
    {
        while (m_done < m_bytes.size()) {
            const ssize_t n = writeWithoutSigpipe(m_fd, m_bytes.constData() + m_done, std::size_t(m_bytes.size() - m_done));
            if (n > 0) {
                m_done += n;
                m_stalled.start();
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno == EAGAIN) {
                m_writable->setEnabled(true);
                return;
            } else {
                break;
            }
        }
        finish();
    }

    void finish()
    {
        m_writable->setEnabled(false);
        m_stalled.stop();
        deleteLater();
    }

    int m_fd;
    QByteArray m_bytes;
    qsizetype m_done = 0;
    QSocketNotifier* m_writable;
    QTimer m_stalled;
};

using dataControl::listen;

} // namespace

// What the compositor tells, passed on to the clipboard. Each listener is the protocol's events
// in their order.
struct WaylandClipboardEvents {
    static WaylandClipboard* of(void* data) { return static_cast<WaylandClipboard*>(data); }

    static void global(void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version)
    {
        WaylandClipboard* c = of(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !c->m_seat) {
            c->m_seat = static_cast<wl_proxy*>(
                wl_registry_bind(reinterpret_cast<wl_registry*>(c->m_registry), name, &wl_seat_interface, 1));
            return;
        }
        if (const DataControlProtocol* protocol = betterDataControl(interface, c->m_protocol)) {
            c->m_protocol = protocol;
            c->m_managerName = name;
            c->m_managerVersion = std::min(version, protocol->version);
        }
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}

    static void dataOffer(void* data, wl_proxy*, wl_proxy* offer)
    {
        of(data)->m_offers[offer];
        listen(offer, kOffer, data);
    }
    static void selection(void* data, wl_proxy*, wl_proxy* offer)
    {
        WaylandClipboard* c = of(data);
        if (c->m_selection != offer)
            c->forgetOffer(std::exchange(c->m_selection, offer));
    }
    static void finished(void* data, wl_proxy*)
    {
        WaylandClipboard* c = of(data);
        c->forgetOffer(std::exchange(c->m_selection, nullptr));
        wl_proxy_destroy(std::exchange(c->m_device, nullptr));
    }
    // Navrik reads only the clipboard, never the primary selection.
    static void primarySelection(void* data, wl_proxy*, wl_proxy* offer)
    {
        if (offer && offer != of(data)->m_selection)
            of(data)->forgetOffer(offer);
    }
    static void offerType(void* data, wl_proxy* offer, const char* type)
    {
        const auto found = of(data)->m_offers.find(offer);
        if (found != of(data)->m_offers.end())
            found->second.emplace_back(type);
    }
    static void send(void* data, wl_proxy* source, const char* type, std::int32_t fd)
    {
        WaylandClipboard* c = of(data);
        if (source != c->m_source || !isTextType(type)) {
            ::close(fd);
            return;
        }
        new Send(fd, c->m_ownBytes, c);
    }
    static void cancelled(void* data, wl_proxy* source)
    {
        WaylandClipboard* c = of(data);
        if (source == c->m_source)
            c->dropSource();
        else
            wl_proxy_destroy(source);
    }

    static constexpr wl_registry_listener kRegistry{global, globalRemove};
    static constexpr dataControl::DeviceListener kDevice{dataOffer, selection, finished, primarySelection};
    static constexpr dataControl::OfferListener kOffer{offerType};
    static constexpr dataControl::SourceListener kSource{send, cancelled};
};

std::unique_ptr<WaylandClipboard> WaylandClipboard::connect(Reach& reach)
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        reach = Reach::NoCompositor;
        return nullptr;
    }
    std::unique_ptr<WaylandClipboard> clipboard(new WaylandClipboard(display));
    reach = clipboard->bind();
    if (reach != Reach::Connected)
        return nullptr;
    return clipboard;
}

WaylandClipboard::WaylandClipboard(wl_display* display) : m_display(display) {}

WaylandClipboard::Reach WaylandClipboard::bind()
{
    m_registry = reinterpret_cast<wl_proxy*>(wl_display_get_registry(m_display));
    listen(m_registry, WaylandClipboardEvents::kRegistry, this);
    if (!roundtrip())
        return Reach::NoCompositor;
    if (!m_protocol || !m_seat)
        return Reach::NoDataControl;
    m_manager = static_cast<wl_proxy*>(wl_registry_bind(reinterpret_cast<wl_registry*>(m_registry), m_managerName,
                                                        m_protocol->manager, m_managerVersion));
    m_device = wl_proxy_marshal_flags(m_manager, dataControl::kGetDataDevice, m_protocol->device,
                                      versionOf(m_manager), 0, nullptr, m_seat);
    listen(m_device, WaylandClipboardEvents::kDevice, this);
    // The device tells the clipboard's present offer straight away.
    if (!roundtrip())
        return Reach::NoCompositor;
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &WaylandClipboard::readEvents);
    // A copy Qt makes itself (an edit field's own menu) goes onto XWayland's clipboard, which the
    // compositor may pass on only while Navrik has the focus, and which Navrik could not serve
    // while it waits for a Wayland read: it is put on the Wayland clipboard at once, as Navrik's.
    QClipboard* qtClipboard = QGuiApplication::clipboard();
    QObject::connect(qtClipboard, &QClipboard::changed, this, [this, qtClipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && qtClipboard->ownsClipboard() && !qtClipboard->text().isEmpty())
            setText(qtClipboard->text());
    });
    return Reach::Connected;
}

WaylandClipboard::~WaylandClipboard()
{
    delete m_notifier;
    for (auto& [offer, types] : m_offers)
        wl_proxy_destroy(offer);
    if (m_source)
        wl_proxy_destroy(m_source);
    if (m_device)
        wl_proxy_marshal_flags(m_device, dataControl::kDeviceDestroy, nullptr, versionOf(m_device),
                               WL_MARSHAL_FLAG_DESTROY);
    if (m_manager)
        wl_proxy_marshal_flags(m_manager, dataControl::kManagerDestroy, nullptr, versionOf(m_manager),
                               WL_MARSHAL_FLAG_DESTROY);
    if (m_seat)
        wl_proxy_destroy(m_seat);
    if (m_registry)
        wl_proxy_destroy(m_registry);
    wl_display_disconnect(m_display);
}

std::optional<QString> WaylandClipboard::text()
{
    // The clipboard may have changed a moment ago (a copy just before the command came): the
    // compositor's news up to now is read first.
    if (!usable() || !roundtrip())
        return std::nullopt;
    if (m_source)
        return m_ownText.isEmpty() ? std::nullopt : std::optional<QString>(m_ownText);
    if (!m_selection)
        return std::nullopt;
    return receive(m_selection);
}

std::optional<QString> WaylandClipboard::receive(wl_proxy* offer)
{
    const std::vector<std::string>& types = m_offers[offer];
    const char* const* type = std::find_if(kTextTypes.begin(), kTextTypes.end(), [&](const char* wanted) {
        return std::find(types.begin(), types.end(), wanted) != types.end();
    });
    if (type == kTextTypes.end())
        return std::nullopt;
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return std::nullopt;
    // Only Navrik's end waits without blocking; the owner writes to its end as it likes.
    ::fcntl(pipe[0], F_SETFL, O_NONBLOCK);
    wl_proxy_marshal_flags(offer, dataControl::kReceive, nullptr, versionOf(offer), 0, *type, pipe[1]);
    wl_display_flush(m_display);
    ::close(pipe[1]);

    QByteArray bytes;
    const QDeadlineTimer deadline(kReceiveMs);
    bool complete = false;
    while (!complete && !deadline.hasExpired()) {
        pollfd readable{pipe[0], POLLIN, 0};
        if (::poll(&readable, 1, int(deadline.remainingTime())) < 0 && errno != EINTR)
            break;
        char chunk[65536];
        ssize_t n;
        while ((n = ::read(pipe[0], chunk, sizeof chunk)) > 0)
            bytes.append(chunk, n);
        // The end of the text, or a pipe broken off: what came is all there is.
        complete = n == 0 || (errno != EAGAIN && errno != EINTR);
    }
    ::close(pipe[0]);
    if (!complete || bytes.isEmpty())
        return std::nullopt;
    return std::strcmp(*type, "STRING") == 0 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

void WaylandClipboard::setText(const QString& text)
{
    if (!usable())
        return;
    dropSource();
    m_ownText = text;
    m_ownBytes = text.toUtf8();
    m_source = wl_proxy_marshal_flags(m_manager, dataControl::kCreateDataSource, m_protocol->source,
                                      versionOf(m_manager), 0, nullptr);
    listen(m_source, WaylandClipboardEvents::kSource, this);
    for (const char* type : kTextTypes)
        wl_proxy_marshal_flags(m_source, dataControl::kOffer, nullptr, versionOf(m_source), 0, type);
    wl_proxy_marshal_flags(m_device, dataControl::kSetSelection, nullptr, versionOf(m_device), 0,
                           m_source);
    wl_display_flush(m_display);
}

void WaylandClipboard::keepAtEnd()
{
    // The compositor's news first: another program may have copied a moment ago.
    if (usable() && roundtrip() && m_source && !m_ownBytes.isEmpty())
        handToKeeper({"wayland"}, m_ownBytes);
}

void WaylandClipboard::dropSource()
{
    if (wl_proxy* source = std::exchange(m_source, nullptr))
        wl_proxy_marshal_flags(source, dataControl::kSourceDestroy, nullptr, versionOf(source),
                               WL_MARSHAL_FLAG_DESTROY);
    m_ownText.clear();
    m_ownBytes.clear();
}

void WaylandClipboard::forgetOffer(wl_proxy* offer)
{
    if (!offer)
        return;
    m_offers.erase(offer);
    wl_proxy_marshal_flags(offer, dataControl::kOfferDestroy, nullptr, versionOf(offer),
                           WL_MARSHAL_FLAG_DESTROY);
}

void WaylandClipboard::readEvents()
{
    if (wl_display_prepare_read(m_display) == 0)
        wl_display_read_events(m_display);
    wl_display_dispatch_pending(m_display);
    wl_display_flush(m_display);
    usable();
}

bool WaylandClipboard::roundtrip()
{
    if (wl_display_get_error(m_display) != 0)
        return false;
    bool answered = false;
    wl_callback* callback = wl_display_sync(m_display);
    static const wl_callback_listener done{[](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &done, &answered);
    const QDeadlineTimer deadline(kAnswerMs);
    while (!answered && pump(deadline)) {
    }
    wl_callback_destroy(callback);
    return answered;
}

bool WaylandClipboard::pump(const QDeadlineTimer& deadline)
{
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0)
            return false;
    }
    wl_display_flush(m_display);
    pollfd readable{wl_display_get_fd(m_display), POLLIN, 0};
    const int ready = ::poll(&readable, 1, int(deadline.remainingTime()));
    if (ready <= 0) {
        wl_display_cancel_read(m_display);
        return ready < 0 && errno == EINTR && !deadline.hasExpired();
    }
    return wl_display_read_events(m_display) == 0 && wl_display_dispatch_pending(m_display) >= 0;
}

bool WaylandClipboard::usable()
{
    if (wl_display_get_error(m_display) == 0 && m_device)
        return true;
    if (!m_lost) {
        m_lost = true;
        if (m_notifier)
            m_notifier->setEnabled(false);
        std::fputs("navrik: the connection to the Wayland compositor's clipboard is lost; quoting can't read or "
                   "set the clipboard until Navrik starts again\n",
                   stderr);
    }
    return false;
}

} // namespace navrik
