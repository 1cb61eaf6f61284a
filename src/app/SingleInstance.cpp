// SPDX-License-Identifier: MIT
#include "app/SingleInstance.h"

#include "gui/CommandScope.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navrik {

namespace {

// The display this start belongs to, as a file name: ":0.0" and ":0" are one display.
QString displayName()
{
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = QStringLiteral("none");
    const QRegularExpressionMatch screen = QRegularExpression(QStringLiteral("^(.*:\\d+)\\.\\d+$")).match(display);
    if (screen.hasMatch())
        display = screen.captured(1);
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return display;
}

bool lstatPath(const QString& path, struct stat& info)
{
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// True when the path itself (not what a link there points to) is the file that info describes.
bool namesFile(const QString& path, const struct stat& info)
{
    struct stat named {};
    return lstatPath(path, named) && named.st_ino == info.st_ino && named.st_dev == info.st_dev;
}

// True when the path is a real folder (no link) of this user that no one else may use, as the
// XDG rules ask of $XDG_RUNTIME_DIR.
bool privateFolder(const QString& path)
{
    struct stat info {};
    return QDir::isAbsolutePath(path) && lstatPath(path, info) && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The user id of the process at the other end of a connected local socket, or -1.
long peerUser(const QLocalSocket& socket)
{
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return -1;
    return long(credentials.uid);
}

bool isOwnUser(long uid)
{
    return uid == long(::geteuid());
}

} // namespace

SingleInstance::SingleInstance()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    m_inRuntimeFolder = privateFolder(runtime);
    m_directory = m_inRuntimeFolder ? runtime
                                    : QDir::tempPath() + QStringLiteral("/navrik-") + QString::number(::geteuid());
    const QString base = m_directory + QStringLiteral("/navrik-") + displayName();
    m_socketPath = base + QStringLiteral(".socket");
    m_lockPath = base + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance()
{
    close();
}

SingleInstance::Role SingleInstance::acquire()
{
    const QByteArray directory = QFile::encodeName(m_directory);
    if (!m_inRuntimeFolder) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty())
            std::fprintf(stderr, "navrik: XDG_RUNTIME_DIR (%s) is not a folder that only you can use; using %s\n",
                         qPrintable(runtime), directory.constData());
        // A folder of the shared temporary directory: made private here. One that someone else
        // made first can't be used, nor removed by this user; say whose it is and what to do.
        ::mkdir(directory.constData(), 0700);
        struct stat info {};
        if (!lstatPath(m_directory, info) || !S_ISDIR(info.st_mode)) {
            std::fprintf(stderr, "navrik: %s is not a folder; remove it, or set XDG_RUNTIME_DIR to a folder that "
                                 "only you can use\n", directory.constData());
            return Role::Failed;
        }
        if (!isOwnUser(long(info.st_uid))) {
            std::fprintf(stderr, "navrik: %s belongs to another user (uid %ld); have it removed, or set "
                                 "XDG_RUNTIME_DIR to a folder that only you can use\n",
                         directory.constData(), long(info.st_uid));
            return Role::Failed;
        }
        if ((info.st_mode & 077) != 0 && ::chmod(directory.constData(), 0700) != 0) {
            std::fprintf(stderr, "navrik: can't make %s private: %s\n", directory.constData(), std::strerror(errno));
            return Role::Failed;
        }
    }
    // The lock is the kernel's lock on the open file, held for as long as this process runs: a
    // file left behind by one that ended is no one's lock, whatever it holds.
    const QByteArray lock = QFile::encodeName(m_lockPath);
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Made here, or one that was there already: only the latter can be stale.
        int file = ::open(lock.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        const bool made = file >= 0;
        if (!made && errno == EEXIST)
            file = ::open(lock.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (file < 0 && errno == ENOENT)
            continue; // removed between the two opens
        if (file < 0) {
            std::fprintf(stderr, errno == ELOOP ? "navrik: the lock file %s is a symbolic link; remove it\n"
                                                : "navrik: can't open the lock file %s: %s\n",
                         lock.constData(), std::strerror(errno));
            return Role::Failed;
        }
        struct stat opened {};
        if (::fstat(file, &opened) != 0 || !S_ISREG(opened.st_mode) || !isOwnUser(long(opened.st_uid))) {
            ::close(file);
            std::fprintf(stderr, "navrik: the lock file %s is not a file of yours; remove it\n", lock.constData());
            return Role::Failed;
        }
        if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
            ::close(file);
            return Role::Secondary;
        }
        // The file locked must still be the one of that name (not one removed meanwhile).
        if (!namesFile(m_lockPath, opened)) {
            ::close(file);
            continue;
        }
        // A lock file that was there and no one holds was left by a Navrik that did not end
        // cleanly (an ended one removes its own): say so, as a hint at what happened before.
        if (!made) {
            char held[32] = {};
            const ssize_t size = ::pread(file, held, sizeof held - 1, 0);
            const QByteArray holder = QByteArray(held, size > 0 ? int(size) : 0).trimmed();
            if (holder.isEmpty())
                std::fprintf(stderr, "navrik: took over the stale lock file %s, which was empty\n", lock.constData());
            else if (std::all_of(holder.begin(), holder.end(), [](char c) { return c >= '0' && c <= '9'; }))
                std::fprintf(stderr, "navrik: took over the stale lock file %s of process %s, which has ended\n",
                             lock.constData(), holder.constData());
            else
                std::fprintf(stderr, "navrik: took over the stale lock file %s\n", lock.constData());
        }
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(file, 0) != 0 || ::write(file, pid.constData(), size_t(pid.size())) != pid.size()) {
            // The lock holds all the same; only the process id it names for others is missing.
        }
        m_lockFile = file;
        return Role::Primary;
    }
    std::fprintf(stderr, "navrik: the lock file %s keeps being replaced\n", lock.constData());
    return Role::Failed;
}

QString SingleInstance::lockHolder() const
{
    QFile file(m_lockPath);
    QByteArray pid;
    struct stat info {};
    if (lstatPath(m_lockPath, info) && S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly))
        pid = file.read(32).trimmed();
    return pid.isEmpty() ? QStringLiteral("a process that wrote no id in %1").arg(m_lockPath)
                         : QStringLiteral("process %1, %2").arg(QString::fromLatin1(pid), m_lockPath);
}

bool SingleInstance::listen(std::function<bool(Command)> handler)
{
    m_handler = std::move(handler);
    // Holding the lock, any socket file there is one a killed instance left behind.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        std::fprintf(stderr, "navrik: can't listen on %s: %s\n", qPrintable(m_socketPath),
                     qPrintable(m_server->errorString()));
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

void SingleInstance::accept()
{
    while (m_server && m_server->hasPendingConnections()) {
        QLocalSocket* socket = m_server->nextPendingConnection();
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The socket file is the user's alone already; this also holds when its mode was changed
        // or the folder is shared.
        if (!isOwnUser(peerUser(*socket))) {
            drop(socket, nullptr);
            continue;
        }
        // Qt stops reading from the connection once this much waits to be read.
        socket->setReadBufferSize(kLongestMessage);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { receive(socket); });
        QTimer::singleShot(kSilentMs, socket, [this, socket] {
            if (socket->property("navrik-command").isNull())
                drop(socket, nullptr);
        });
    }
}

void SingleInstance::receive(QLocalSocket* socket)
{
    const QByteArray message = socket->peek(kLongestMessage);
    const qsizetype end = message.indexOf('\n');
    if (end < 0) {
        if (message.size() >= kLongestMessage)
            drop(socket, "unknown\n");
        return;
    }
    // The word alone, then the line feed, and nothing after it.
    socket->disconnect(this);
    const QByteArray word = socket->readAll().chopped(1);
    const std::optional<Command> command
        = end + 1 == message.size() && !word.contains('\0') ? commandFromWord(word.constData()) : std::nullopt;
    if (!command) {
        drop(socket, "unknown\n");
        return;
    }
    socket->setProperty("navrik-command", int(*command));
    m_waiting.push_back({socket, *command});
    // From the event loop, not from inside the socket's own signal: the command may run nested
    // event loops in which the socket is deleted.
    QTimer::singleShot(0, this, &SingleInstance::serveNext);
}

void SingleInstance::serveNext()
{
    if (m_serving || m_waiting.empty())
        return;
    // Not inside a command of the windows that is still working: after it.
    if (CommandScope::running()) {
        CommandScope::whenIdle(this, [this] { serveNext(); });
        return;
    }
    const Waiting next = m_waiting.front();
    m_waiting.pop_front();
    // A caller that gave up before its command started does not have it run; a quit runs all the
    // same: its caller stops waiting after a few seconds, and a command before it (a slow
    // clipboard, a long text) may take longer than that, but the user asked for the end.
    if ((next.socket && next.socket->state() == QLocalSocket::ConnectedState) || next.command == Command::Quit) {
        m_serving = true;
        const bool serving = m_handler(next.command);
        m_serving = false;
        if (!serving)
            close();
        // The handler may have run nested event loops (the error box, the clipboard, a repaint)
        // in which the caller went away and its socket was deleted.
        if (next.socket)
            drop(next.socket, "ok\n");
    }
    if (!m_waiting.empty())
        QTimer::singleShot(0, this, &SingleInstance::serveNext);
}

void SingleInstance::drop(QLocalSocket* socket, const char* answer)
{
    socket->disconnect(this);
    if (answer && socket->state() == QLocalSocket::ConnectedState) {
        socket->write(answer);
        socket->flush();
        socket->disconnectFromServer();
    } else {
        socket->abort();
    }
    socket->deleteLater();
}

void SingleInstance::close()
{
    delete m_server;
    m_server = nullptr;
    for (const Waiting& waiting : std::exchange(m_waiting, {})) {
        if (waiting.socket)
            drop(waiting.socket, nullptr);
    }
    // The file goes while it is still locked, so the next start makes a fresh one and finds no
    // stale lock; one that opened it meanwhile finds the name gone once it has the lock, and tries
    // again.
    if (m_lockFile >= 0) {
        struct stat held {};
        if (::fstat(m_lockFile, &held) == 0 && namesFile(m_lockPath, held))
            ::unlink(QFile::encodeName(m_lockPath).constData());
        ::close(m_lockFile);
    }
    m_lockFile = -1;
}

int SingleInstance::send(Command command, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const QByteArray socketFile = QFile::encodeName(m_socketPath);
    QLocalSocket socket;
    // A Navrik that has just taken the lock may not listen yet: try again until the deadline.
    for (;;) {
        // Only the user's own socket, never one reached through a link.
        struct stat info {};
        if (lstatPath(m_socketPath, info) && (!S_ISSOCK(info.st_mode) || !isOwnUser(long(info.st_uid)))) {
            std::fprintf(stderr, "navrik: %s is not your Navrik's socket; the command was not sent\n",
                         socketFile.constData());
            return 1;
        }
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        const auto error = socket.error();
        if ((error != QLocalSocket::ServerNotFoundError && error != QLocalSocket::ConnectionRefusedError)
            || deadline.hasExpired()) {
            if (deadline.hasExpired())
                std::fprintf(stderr, "navrik: the running Navrik (%s) did not answer within %d seconds\n",
                             qPrintable(lockHolder()), timeoutMs / 1000);
            else
                std::fprintf(stderr, "navrik: can't reach the running Navrik: %s\n", qPrintable(socket.errorString()));
            return 1;
        }
        QThread::msleep(20);
    }
    // The file may have been swapped between the look and the connection: the listener itself
    // must be the user's.
    if (const long listener = peerUser(socket); !isOwnUser(listener)) {
        std::fprintf(stderr, "navrik: %s is served by another user (uid %ld); the command was not sent\n",
                     socketFile.constData(), listener);
        return 1;
    }
    socket.write(commandWord(command));
    socket.write("\n");
    socket.flush();
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) {
            if (socket.state() != QLocalSocket::ConnectedState && !deadline.hasExpired())
                std::fprintf(stderr, "navrik: the running Navrik refused the command\n");
            else
                std::fprintf(stderr, "navrik: the running Navrik (%s) did not answer within %d seconds\n",
                             qPrintable(lockHolder()), timeoutMs / 1000);
            return 1;
        }
    }
    if (socket.readLine().trimmed() != "ok") {
        std::fprintf(stderr, "navrik: the running Navrik refused the command\n");
        return 1;
    }
    return 0;
}

} // namespace navrik
