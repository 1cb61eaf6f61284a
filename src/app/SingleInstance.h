// SPDX-License-Identifier: MIT
#pragma once

#include "app/CommandLine.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace navrik {

// One Navrik per user and display. The first start takes a lock file and, once its windows
// exist, listens on a local socket beside it; a later start finds the lock taken and hands
// its command to the running one over the socket instead of opening a window of its own.
//
// Both live in $XDG_RUNTIME_DIR when it is a folder of the user's that no one else may use, else
// in a folder of the temporary directory that only the user may enter. Nothing there is trusted
// that another user owns or that is a symbolic link. Each side checks who is at the other end of
// the socket: the running instance drops a caller that is another user, and a start refuses to
// send its command to a listener that is not the user's own. The lock is held by the running
// process itself (flock), so one that a killed instance left, empty or not, is taken over by the
// next start, which says so in one line on standard error; an instance that ends removes its own.
//
// A message is one command word and a line feed, nothing more; a longer one, or a caller silent
// for kSilentMs, is refused and the connection closed. Commands run one at a time, never inside
// a command of the windows that is still working (CommandScope), and the caller hears back only if
// it is still there. A command whose caller has gone before it started is not run, except quit.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { Primary, Secondary, Failed };

    static constexpr int kLongestMessage = 64;
    static constexpr int kSilentMs = 3000;

    // Chooses the folder and names the lock and socket for the display; touches nothing yet.
    SingleInstance();
    ~SingleInstance() override;

    // Takes the lock: Primary when this start is the one that runs, Secondary when another
    // holds it, Failed (after one line on standard error) when the folder or the lock can't be
    // used. Needs no application object.
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
    // refused or did not answer, or the socket is not the user's Navrik. Needs an application
    // object.
    int send(Command command, int timeoutMs = 5000);

private:
    struct Waiting {
        QPointer<QLocalSocket> socket;
        Command command;
    };

    void accept();
    void receive(QLocalSocket* socket);
    void serveNext();
    void drop(QLocalSocket* socket, const char* answer);
    QString lockHolder() const;

    QString m_directory;
    QString m_socketPath;
    QString m_lockPath;
    bool m_inRuntimeFolder = false; // else in the temporary directory's folder
    int m_lockFile = -1;
    QLocalServer* m_server = nullptr;
    std::function<bool(Command)> m_handler;
    std::deque<Waiting> m_waiting;
    bool m_serving = false;
};

} // namespace navrik
