// SPDX-License-Identifier: MIT
#include "gui/ClipboardKeeper.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace navrik {

namespace {

constexpr int kHandOverMs = 3000;

// Starts the keeper with standard input on `fd` and nothing else of Navrik's: its output goes to
// /dev/null, it runs in a session of its own (a terminal's hang-up or interrupt never reaches it),
// in /, with no signal blocked. Its process id, or -1 (said on standard error).
pid_t startKeeper(const QByteArrayList& arguments, int fd)
{
    const QByteArray path = QFile::encodeName(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" NAVRIK_KEEPER_PATH)));
    std::vector<char*> argv{const_cast<char*>(path.constData())};
    for (const QByteArray& argument : arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error == 0)
        return pid;
    std::fprintf(stderr, "navrik: can't start %s (%s); the clipboard's text is gone now that Navrik ends\n",
                 path.constData(), std::strerror(error));
    return -1;
}

bool sendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0) {
            data += n;
            size -= std::size_t(n);
        }
    }
    return true;
}

} // namespace

bool handToKeeper(const QByteArrayList& arguments, const QByteArray& utf8, const std::function<bool()>& released)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    // Above standard error, so that setting up the keeper's standard files can't close it first.
    const int keepersEnd = ::fcntl(ends[1], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(ends[1]);
    const int fd = ends[0];
    const pid_t pid = keepersEnd < 0 ? -1 : startKeeper(arguments, keepersEnd);
    if (keepersEnd >= 0)
        ::close(keepersEnd);
    const auto done = qScopeGuard([&] {
        ::close(fd);
        if (pid > 0)
            ::waitpid(pid, nullptr, WNOHANG); // a keeper that has ended already leaves nothing behind
    });
    if (pid < 0)
        return false;
    // The keeper reads its input before it does anything else: the text goes at the speed of a copy.
    const auto size = std::uint64_t(utf8.size());
    if (!sendAll(fd, reinterpret_cast<const char*>(&size), sizeof size) || !sendAll(fd, utf8.constData(), utf8.size()))
        return false;
    ::shutdown(fd, SHUT_WR);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    const QDeadlineTimer deadline(kHandOverMs);
    bool holding = false;
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents();
        if (holding && (!released || released()))
            return true;
        pollfd answer{holding ? -1 : fd, POLLIN, 0};
        ::poll(&answer, 1, 10);
        if (answer.revents == 0)
            continue;
        char byte;
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 1)
            holding = true;
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false; // another program copied meanwhile, or the display is gone
    }
    if (!holding)
        std::fprintf(stderr, "navrik: the clipboard keeper did not take the clipboard within %d seconds\n",
                     kHandOverMs / 1000);
    return holding;
}

} // namespace navrik
