// SPDX-License-Identifier: MIT
#pragma once

#include "gui/SystemClipboard.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct wl_display;
struct wl_proxy;
class QDeadlineTimer;
class QSocketNotifier;

namespace navrik {

struct DataControlProtocol;
struct WaylandClipboardEvents;

// The Wayland clipboard through the compositor's data-control protocol (ext-data-control-v1, else
// zwlr-data-control-unstable-v1), which lets a program read and set the clipboard whichever
// window has the focus. It keeps a connection to the compositor of its own, beside Qt's, read as
// Qt's event loop runs, so that the text Navrik put on the clipboard is handed to whoever pastes
// it for as long as Navrik runs, and after that by navrik-clipboard-keeper. A read waits a bounded
// time for the clipboard's owner.
class WaylandClipboard : public QObject, public SystemClipboard {
public:
    enum class Reach { Connected, NoCompositor, NoDataControl };

    // The clipboard of the compositor WAYLAND_DISPLAY names; none when Navrik can't reach that
    // compositor or it offers no data-control protocol, as `reach` then says.
    static std::unique_ptr<WaylandClipboard> connect(Reach& reach);
    ~WaylandClipboard() override;

    std::optional<QString> text() override;
    void setText(const QString& text) override;
    void keepAtEnd() override;

private:
    friend struct WaylandClipboardEvents;

    explicit WaylandClipboard(wl_display* display);
    Reach bind();
    // Reads and runs what the compositor sent; the socket notifier's slot.
    void readEvents();
    // Reads and runs events until the compositor has answered everything sent so far, or the
    // deadline passes. False when it did not answer in time or the connection is gone.
    bool roundtrip();
    bool pump(const QDeadlineTimer& deadline);
    bool usable();
    std::optional<QString> receive(wl_proxy* offer);
    void dropSource();
    void forgetOffer(wl_proxy* offer);

    wl_display* m_display;
    QSocketNotifier* m_notifier = nullptr;
    wl_proxy* m_registry = nullptr;
    wl_proxy* m_seat = nullptr;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    const DataControlProtocol* m_protocol = nullptr;
    std::uint32_t m_managerName = 0;
    std::uint32_t m_managerVersion = 0;
    // The offers the compositor announced and the types each comes in; the clipboard's own.
    std::unordered_map<wl_proxy*, std::vector<std::string>> m_offers;
    wl_proxy* m_selection = nullptr;
    // While Navrik owns the clipboard: its source and the text it hands out.
    wl_proxy* m_source = nullptr;
    QString m_ownText;
    QByteArray m_ownBytes;
    bool m_lost = false; // the connection broke (said once)
};

} // namespace navrik
