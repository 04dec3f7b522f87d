// The bridge: the pages, the command API and the live state, served over HTTP to anyone who
// holds a token (the view token opens all but the commands), and passed on to Kadrant's control
// socket. The routes are a table: each names its method, its path and the access it needs.
#pragma once

#include "tools/remote/TControlClient.h"
#include "tools/remote/THttpServer.h"
#include "tools/remote/TRemoteAccess.h"
#include "tools/remote/TStateHub.h"
#include "tools/remote/TStateWatcher.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct TRemoteServerConfig {
    std::string SocketPath; // D/kadrant.sock
    std::string Token;      // D/remote-token: everything
    std::string ViewToken;  // D/remote-view-token: the pages and the state, no command
    std::size_t MaxEventClients = 60;
    std::size_t ReservedEventClients = 10; // of those, kept for the control token's streams
    std::size_t EventClientsPerPeer = 4;   // per address, whatever the token
    THttpLimits Limits;
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

    // Binds a listening socket (TLS with the certificate given below); port 0 takes any free
    // port. Returns the port, or -1.
    int Bind(const std::string& host, int port, bool tls = false);
    void SetCertificate(std::string certificatePem, std::string keyPem) {
        Http.SetCertificate(std::move(certificatePem), std::move(keyPem));
    }
    // Serves on threads of its own until Stop.
    bool Start();
    void Stop();

    std::size_t EventClients() const;
    // The live watch on Kadrant's socket has a state.
    bool KadrantUp() const { return Hub.Current().Up; }

    // Who holds the live-event slots; shared with each stream, which gives its slot back.
    struct TEventSlots {
        std::mutex Mutex;
        std::size_t Count = 0;
        std::map<std::string, std::size_t> PerPeer;
    };

private:
    struct TRoute {
        std::string Method;
        std::string Path;
        TAccess Needs;
        std::function<THttpAnswer(const THttpRequest&, TAccess granted)> Serve;
    };

    TRemoteServerConfig Config;
    TRemoteTokens Tokens;
    THttpServer Http;
    TStateHub Hub;
    TStateWatcher Watcher;
    TControlClient Commands; // the worker thread's only
    std::shared_ptr<TEventSlots> Slots = std::make_shared<TEventSlots>();
    std::vector<TRoute> Routes;

    void Route();
    THttpAnswer Dispatch(const THttpRequest& request);
    // Kadrant's reply to one line; false with the answer to give when there is none.
    bool Ask(const std::string& line, std::string& reply, THttpReply& failure);
    THttpReply RunCommand(const std::string& command);
    THttpReply ServeState();
    // The state as the live watch last saw it: what a view link asks costs Kadrant nothing.
    THttpReply WatchedState() const;
    THttpAnswer ServeEvents(const THttpRequest& request, TAccess granted);
};

// JSON string contents for `text` (quotes, backslashes and control characters escaped).
std::string JsonEscape(const std::string& text);
