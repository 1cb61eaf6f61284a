// SPDX-License-Identifier: MIT
#include "app/SignalHandling.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace navrik {

namespace {

constexpr std::array kEndSignals{SIGTERM, SIGINT, SIGHUP};

// Written only before the handlers are installed and after they are removed.
int s_pipe[2] = {-1, -1};
std::array<bool, kEndSignals.size()> s_taken{};

void setDisposition(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

// Only async-signal-safe calls: sigaction, write.
extern "C" void onEndSignal(int signalNumber)
{
    const int savedErrno = errno;
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        if (s_taken[i])
            setDisposition(kEndSignals[i], SIG_DFL);
    }
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(s_pipe[1], &number, 1);
    errno = savedErrno;
}

} // namespace

SignalHandling::SignalHandling(QObject* parent) : QObject(parent)
{
    if (pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        s_pipe[0] = s_pipe[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalHandling::readPipe);
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        struct sigaction current = {};
        sigaction(kEndSignals[i], nullptr, &current);
        s_taken[i] = current.sa_handler != SIG_IGN;
        if (s_taken[i])
            setDisposition(kEndSignals[i], onEndSignal);
    }
}

SignalHandling::~SignalHandling()
{
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        if (s_taken[i])
            setDisposition(kEndSignals[i], SIG_DFL);
        s_taken[i] = false;
    }
    delete m_notifier;
    for (int& fd : s_pipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

void SignalHandling::readPipe()
{
    unsigned char number = 0;
    if (read(s_pipe[0], &number, 1) == 1) {
        // Later signals take their default action; nothing more comes through the pipe.
        m_notifier->setEnabled(false);
        emit endRequested(number);
    }
}

} // namespace navrik
