// SPDX-License-Identifier: MIT
// A stand-in X session manager (libSM, libICE): it writes its cookie to $ICEAUTHORITY, prints
// "listening ADDRESS" (for SESSION_MANAGER), then takes one command a line and prints one line
// when the client has answered it:
//   checkpoint  a save the session goes on after              -> saved | save failed
//   logoff      a save before a log-off the client may cancel -> saved | save failed | cancelled
//   cancel      the log-off is called off                     -> running on
//   die         the real end of the session                   -> closed (the client has gone)
// "registered" follows the first save that a new client is asked for.
#include <X11/ICE/ICElib.h>
#include <X11/ICE/ICEutil.h>
#include <X11/SM/SMlib.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

SmsConn s_client = nullptr;
std::string s_answer;        // printed when the client's save is done
bool s_cancelled = false;    // the client asked to call the log-off off
std::vector<IceConn> s_connections;
volatile std::sig_atomic_t s_stop = 0;

void say(const std::string& line) { std::printf("%s\n", line.c_str()), std::fflush(stdout); }

// Ends a connection, and the session protocol on it if CONN is given.
void drop(SmsConn conn, IceConn ice)
{
    if (conn && conn == s_client)
        s_client = nullptr, say("closed");
    if (conn)
        SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
}

Status newClient(SmsConn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**)
{
    *mask = ~0ul; // every callback below
    std::memset(callbacks, 0, sizeof *callbacks);
    callbacks->register_client.callback = [](SmsConn conn, SmPointer, char*) -> Status {
        char* id = SmsGenerateClientID(conn);
        if (!id)
            return 0;
        SmsRegisterClientReply(conn, id);
        std::free(id);
        s_client = conn;
        // A new client is asked for a save at once, as a session manager does to learn how to restart it.
        s_answer = "registered";
        SmsSaveYourself(conn, SmSaveLocal, False, SmInteractStyleNone, False);
        return 1;
    };
    callbacks->interact_request.callback = [](SmsConn conn, SmPointer, int) { SmsInteract(conn); };
    callbacks->interact_done.callback = [](SmsConn, SmPointer, Bool cancel) { s_cancelled = s_cancelled || cancel; };
    callbacks->save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {
        std::fprintf(stderr, "the client asked for a save of the session\n");
    };
    callbacks->save_yourself_phase2_request.callback = [](SmsConn conn, SmPointer) { SmsSaveYourselfPhase2(conn); };
    callbacks->save_yourself_done.callback = [](SmsConn, SmPointer, Bool success) {
        say(s_cancelled ? "cancelled" : success ? s_answer : "save failed");
    };
    callbacks->close_connection.callback = [](SmsConn conn, SmPointer, int count, char** reasons) {
        SmFreeReasons(count, reasons), drop(conn, SmsGetIceConnection(conn));
    };
    callbacks->set_properties.callback = [](SmsConn, SmPointer, int count, SmProp** props) {
        std::for_each(props, props + count, SmFreeProperty), std::free(props);
    };
    callbacks->delete_properties.callback = [](SmsConn, SmPointer, int count, char** names) {
        std::for_each(names, names + count, [](char* name) { std::free(name); }), std::free(names);
    };
    callbacks->get_properties.callback = [](SmsConn conn, SmPointer) { SmsReturnProperties(conn, 0, nullptr); };
    return 1;
}

// A cookie for each address, for ICE and the session protocol, in libICE's data and the client's file.
bool writeAuthority(int count, IceListenObj* listeners)
{
    const char* path = std::getenv("ICEAUTHORITY");
    FILE* file = path ? std::fopen(path, "wb") : nullptr;
    if (!file)
        return false;
    char* cookie = IceGenerateMagicCookie(16);
    char authName[] = "MIT-MAGIC-COOKIE-1", empty[] = "", ice[] = "ICE", xsmp[] = "XSMP";
    bool written = true;
    for (int i = 0; i < count; ++i) {
        char* id = IceGetListenConnectionString(listeners[i]);
        IceAuthDataEntry entries[] = {{ice, id, authName, 16, cookie}, {xsmp, id, authName, 16, cookie}};
        for (IceAuthDataEntry& entry : entries) {
            IceAuthFileEntry line{entry.protocol_name, 0, empty, id, authName, 16, cookie};
            written = IceWriteAuthFileEntry(file, &line) && written;
        }
        IceSetPaAuthData(2, entries);
        std::free(id);
    }
    std::free(cookie);
    return std::fclose(file) == 0 && written;
}

void command(const std::string& line)
{
    if (!s_client)
        say("no client");
    else if (const bool logoff = line == "logoff"; logoff || line == "checkpoint")
        s_answer = "saved", s_cancelled = false,
        SmsSaveYourself(s_client, SmSaveBoth, logoff, logoff ? SmInteractStyleAny : SmInteractStyleNone, False);
    else if (line == "cancel")
        SmsShutdownCancelled(s_client), say("running on");
    else if (line == "die")
        SmsDie(s_client);
}

} // namespace

int main()
{
    char error[256] = "";
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!SmsInitialize("navrik-tests", "1", newClient, nullptr, nullptr, sizeof error, error)
        || !IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "no session manager: %s\n", error);
        return 1;
    }
    if (!writeAuthority(count, listeners))
        return std::perror("the ICE authority file ($ICEAUTHORITY)"), 1;
    // Ended by the test: the loop ends and the listening sockets are removed.
    for (int end : {SIGTERM, SIGINT})
        std::signal(end, [](int) { s_stop = 1; });
    char* address = IceComposeNetworkIdList(count, listeners);
    say(std::string("listening ") + address);
    std::free(address);

    std::string input;
    while (!s_stop) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
        for (int i = 0; i < count; ++i)
            fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        for (IceConn conn : s_connections)
            fds.push_back({IceConnectionNumber(conn), POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents) {
            char buffer[256];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0)
                break;
            input.append(buffer, static_cast<size_t>(n));
            for (size_t end; (end = input.find('\n')) != std::string::npos; input.erase(0, end + 1))
                command(input.substr(0, end));
        }
        IceAcceptStatus accepted;
        for (int i = 0; i < count; ++i)
            if (IceConn conn = fds[1 + i].revents ? IceAcceptConnection(listeners[i], &accepted) : nullptr)
                s_connections.push_back(conn);
        const std::vector<IceConn> open(s_connections);
        for (size_t i = 0; i < open.size(); ++i) {
            if (!fds[1 + count + i].revents)
                continue;
            const IceProcessMessagesStatus status = IceProcessMessages(open[i], nullptr, nullptr);
            if (status == IceProcessMessagesIOError)
                drop(s_client && SmsGetIceConnection(s_client) == open[i] ? s_client : nullptr, open[i]);
            if (status != IceProcessMessagesSuccess)
                std::erase(s_connections, open[i]);
        }
    }
    IceFreeListenObjs(count, listeners);
    return 0;
}
