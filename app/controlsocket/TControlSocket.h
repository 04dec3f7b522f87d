// The local control socket: a Unix-domain stream socket in the working directory, readable and
// writable by the same user only, that takes one command per line and answers each with one line.
// Everything runs on the window's thread from socket notifiers; no call ever waits on a client:
// sockets are non-blocking, what a client sends is cut into bounded lines, and a client whose
// answers pile up past a bound (it does not read) is dropped.
#pragma once

#include "app/controlsocket/TControlChannel.h"
#include "control/TLineFramer.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>

class TControlSocket : public QObject, public TControlChannel {
    Q_OBJECT

public:
    static constexpr std::size_t MaxClients = 16;
    // Answers and states not yet taken by a client, beyond what the kernel holds for it.
    static constexpr std::size_t OutputLimit = 64 * 1024;
    // How often the state is compared with what the watching clients last got.
    static constexpr int WatchPeriodMs = 20;
    // How often a program running without the socket tries to take it.
    static constexpr int RetryPeriodMs = 1000;

    TControlSocket(TControlHandler& handler, std::string path);
    ~TControlSocket() override;

    // Creates the socket. A stale socket left by a program that died is replaced; a socket
    // another program still answers on, or a path that is no socket (a file, a link), is left
    // alone: one line on stderr says why, and the program runs without a control socket while it
    // tries again once a second, so that it takes the socket over when the other program ends.
    bool Listen() override;
    // Stops listening, drops every client and removes the socket file if it is still ours.
    void Close() override;

    bool IsListening() const override { return ListenFd >= 0; }
    std::size_t ClientCount() const;

private:
    struct TClient {
        int Fd = -1;
        std::unique_ptr<QSocketNotifier> Reader;
        std::unique_ptr<QSocketNotifier> Writer;
        TLineFramer Framer{RemoteLineLimit};
        std::deque<TRemoteCommand> Commands; // read, not yet answered
        std::string Output;
        bool Watching = false;
        bool Ending = false; // the client shut its sending side: closed once answered
        std::string LastState;
    };

    void OnAcceptable();
    void OnReadable(int clientId);
    void OnWritable(int clientId);
    void Drain(int clientId);
    void Answer(TClient& client, const TRemoteCommand& command);
    void Send(TClient& client, const std::string& line);
    void Flush(TClient& client);
    void Drop(TClient& client);
    void Reap();
    void CheckWatchers();
    TClient* Find(int clientId);
    bool TryListen(std::string& why);

    TControlHandler& Handler;
    const std::string Path;
    int ListenFd = -1;
    dev_t SocketDevice = 0;
    ino_t SocketInode = 0;
    std::unique_ptr<QSocketNotifier> Acceptor;
    std::map<int, std::unique_ptr<TClient>> Clients; // by a number never reused
    int NextClientId = 1;
    // Raised while a command runs: a message box it opens runs the event loop, and no other
    // command may start inside it.
    bool Executing = false;
    QTimer WatchTimer;
    QTimer RetryTimer;
};
