// SPDX-License-Identifier: MIT
#pragma once

#include "app/CommandLine.h"

#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace navrik {

// One Navrik per user and display. The first start takes a lock file and, once its windows
// exist, listens on a local socket beside it; a later start finds the lock taken and hands
// its command to the running one over the socket instead of opening a window of its own.
//
// Both live in $XDG_RUNTIME_DIR, else in a folder of the temporary directory that only the
// user may enter. Only the user may connect: the socket file is the user's alone, and the
// running instance checks each caller's user id and drops a caller that is anyone else.
// A lock or socket left behind by a killed instance is taken over by the next start.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { Primary, Secondary, Failed };

    // Names the lock and socket for the display; touches nothing yet.
    SingleInstance();
    ~SingleInstance() override;

    // Takes the lock: Primary when this start is the one that runs, Secondary when another
    // holds it, Failed (after one line on standard error) when the folder can't be used.
    // Needs no application object.
    Role acquire();

    // Primary: listens for commands; each runs through the handler, and the caller hears back
    // once it returns. A handler that returns false has ended this instance's service (quit):
    // the socket and the lock are let go before the caller hears back, so a start right after
    // it begins afresh. False, after one line on standard error, when the socket can't be made.
    bool listen(std::function<bool(Command)> handler);

    // Stops listening and lets go of the lock.
    void close();

    // Secondary: sends the command and waits up to timeoutMs for the running instance to say it
    // ran. Returns the exit status: 0 when it did, 1 (after one line on standard error) when it
    // refused or did not answer. Needs an application object.
    int send(Command command, int timeoutMs = 5000);

private:
    void serve(QLocalSocket* socket);

    QString m_directory;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::function<bool(Command)> m_handler;
};

} // namespace navrik
