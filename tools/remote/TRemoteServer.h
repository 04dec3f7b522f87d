// The bridge: the phone page, the command API and the live state, served over HTTP to anyone who
// holds the pairing token, and passed on to Kadrant's control socket.
#pragma once

#include "tools/remote/TBoundedHttpServer.h"
#include "tools/remote/TControlClient.h"
#include "tools/remote/TStateHub.h"
#include "tools/remote/TStateWatcher.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct TRemoteServerConfig {
    std::string SocketPath; // D/kadrant.sock
    std::string Token;
    std::size_t MaxEventClients = 50;
    // Workers: every live-event client holds one for as long as it listens, so there must be
    // plenty left for commands beside them.
    std::size_t Threads = 128;
    TConnectionLimits Limits;
    int CommandTimeoutMs = 2000;
    std::chrono::milliseconds EventPing{15000}; // a comment line keeps proxies and phones awake
    std::chrono::milliseconds WatchRetry{500};
    std::chrono::milliseconds StatePoll{1000};
};

class TRemoteServer {
public:
    explicit TRemoteServer(TRemoteServerConfig config);
    ~TRemoteServer();
    TRemoteServer(const TRemoteServer&) = delete;
    TRemoteServer& operator=(const TRemoteServer&) = delete;

    // Binds the listening socket; port 0 takes any free port. Returns the port, or -1.
    int Bind(const std::string& host, int port);
    // Serves on threads of its own until Stop.
    bool Start();
    void Stop();

    std::size_t EventClients() const { return EventClientCount; }

private:
    TRemoteServerConfig Config;
    TBoundedHttpServer Http;
    TStateHub Hub;
    TStateWatcher Watcher;
    std::mutex CommandMutex;
    TControlClient Commands;
    std::atomic<std::size_t> EventClientCount{0};
    std::thread ListenThread;

    void Route();
    bool Authorised(const httplib::Request& request) const;
    void RunCommand(const std::string& command, httplib::Response& response);
    void ServeState(httplib::Response& response);
    void ServeEvents(httplib::Response& response);
};

// JSON string contents for `text` (quotes, backslashes and control characters escaped).
std::string JsonEscape(const std::string& text);
