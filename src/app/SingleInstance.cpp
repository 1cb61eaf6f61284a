// SPDX-License-Identifier: MIT
#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

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

// True when the folder exists (or was just made) as a real folder of this user that no one else
// may enter.
bool privateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    ::mkdir(native.constData(), 0700);
    struct stat info {};
    return ::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & 077) == 0;
}

// The user id of the process at the other end of a connected local socket, or -1.
long peerUser(QLocalSocket* socket)
{
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return -1;
    return long(credentials.uid);
}

} // namespace

SingleInstance::SingleInstance()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        m_directory = runtime;
    else
        m_directory = QDir::tempPath() + QStringLiteral("/navrik-") + QString::number(::geteuid());
    const QString base = m_directory + QStringLiteral("/navrik-") + displayName();
    m_socketPath = base + QStringLiteral(".socket");
    m_lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
}

SingleInstance::~SingleInstance()
{
    close();
}

SingleInstance::Role SingleInstance::acquire()
{
    // $XDG_RUNTIME_DIR is the session's own; a folder in the shared temporary directory is made
    // private here, and one that someone else made or opened up is refused.
    if (m_directory != qEnvironmentVariable("XDG_RUNTIME_DIR") && !privateFolder(m_directory)) {
        std::fprintf(stderr, "navrik: %s is not a folder that only you can use\n", qPrintable(m_directory));
        return Role::Failed;
    }
    // The lock names the process that holds it: one that no longer runs (killed, say) leaves a
    // stale lock, which tryLock() removes and takes.
    if (m_lock->tryLock(0))
        return Role::Primary;
    if (m_lock->error() == QLockFile::LockFailedError)
        return Role::Secondary;
    std::fprintf(stderr, "navrik: can't make the lock file in %s\n", qPrintable(m_directory));
    return Role::Failed;
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
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (m_server && m_server->hasPendingConnections()) {
            QLocalSocket* socket = m_server->nextPendingConnection();
            // The socket file is the user's alone already; this also holds when its mode was
            // changed or the folder is shared.
            if (peerUser(socket) != long(::geteuid())) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            socket->setParent(this);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
    return true;
}

void SingleInstance::serve(QLocalSocket* socket)
{
    if (!socket->canReadLine())
        return;
    socket->disconnect(this);
    const QByteArray word = socket->readLine().trimmed();
    const std::optional<Command> command = commandFromWord(word.constData());
    bool serving = true;
    if (command)
        serving = m_handler(*command);
    if (!serving)
        close();
    socket->write(command ? "ok\n" : "unknown\n");
    socket->flush();
    socket->disconnectFromServer();
}

void SingleInstance::close()
{
    delete m_server;
    m_server = nullptr;
    m_lock->unlock();
}

int SingleInstance::send(Command command, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // A Navrik that has just taken the lock may not listen yet: try again until the deadline.
    for (;;) {
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        const auto error = socket.error();
        if ((error != QLocalSocket::ServerNotFoundError && error != QLocalSocket::ConnectionRefusedError)
            || deadline.hasExpired()) {
            if (deadline.hasExpired())
                std::fprintf(stderr, "navrik: the running Navrik did not answer within %d seconds\n", timeoutMs / 1000);
            else
                std::fprintf(stderr, "navrik: can't reach the running Navrik: %s\n", qPrintable(socket.errorString()));
            return 1;
        }
        QThread::msleep(20);
    }
    socket.write(commandWord(command));
    socket.write("\n");
    socket.flush();
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) {
            if (socket.state() != QLocalSocket::ConnectedState && !deadline.hasExpired())
                std::fprintf(stderr, "navrik: the running Navrik refused the command\n");
            else
                std::fprintf(stderr, "navrik: the running Navrik did not answer within %d seconds\n", timeoutMs / 1000);
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
