// The bridge's HTTP server: one event thread (libmicrohttpd on epoll, on poll on Windows) for
// every connection, so that no client, however slow or silent, holds anything but one bounded
// slot. Around it:
//   - a connection guard bounds connections in total and per peer address and makes room by
//     closing idle ones (TConnectionGuard);
//   - work that waits on Kadrant runs on one worker thread, from a bounded queue, while its
//     connection is suspended; the event thread never waits;
//   - streams (live events) are suspended while they have nothing to say and woken on a change,
//     and cut when their client stops taking what is sent;
//   - requests are framed strictly: one Content-Length, a number, never beside Transfer-Encoding;
//     a body only where the route takes one (refused before it is read); nothing else of the
//     request (no Range) is acted upon;
//   - each request must come in full within a deadline from its connection's start (or the
//     last answer), however slowly its bytes trickle in;
//   - it listens on one socket or more, each plain or TLS (GnuTLS inside the library).
#pragma once

#include "tools/remote/TConnectionGuard.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct MHD_Connection;

struct THttpLimits {
    TGuardLimits Connections;
    unsigned IdleSeconds = 5; // a connection with no request in progress (the library's bound)
    std::chrono::milliseconds StallTime{10000}; // a stream client that takes nothing sent
    std::size_t HeaderBytes = 8192;             // request line and headers, per connection
    std::size_t BodyBytes = 1024;
    std::size_t QueuedJobs = 16;
    std::chrono::milliseconds StreamTick{500}; // waiting streams look again (pings, gone clients)
};

class THttpRequest {
public:
    THttpRequest(MHD_Connection* connection, std::string method, std::string path,
                 std::string peer = {})
        : Connection(connection), MethodName(std::move(method)), PathName(std::move(path)),
          PeerName(std::move(peer)) {}
    const std::string& Method() const { return MethodName; }
    const std::string& Path() const { return PathName; }
    // Who counts as the sender for per-address bounds (PeerKey).
    const std::string& Peer() const { return PeerName; }
    // Empty when absent.
    std::string Header(const char* name) const;
    std::string Query(const char* name) const;

private:
    MHD_Connection* Connection;
    std::string MethodName;
    std::string PathName;
    std::string PeerName;
};

struct THttpReply {
    int Status = 200;
    std::string ContentType = "application/json";
    std::string Body;
    std::vector<std::pair<std::string, std::string>> Headers;
    bool Close = false; // the connection ends after this answer
};

// A response sent as it comes (chunked); Next is called on the event thread, never waits.
class THttpStream {
public:
    enum class TStep { Data, Wait, End };
    virtual ~THttpStream() = default;
    // Appends what goes out next to `out` (Data), or says there is nothing for now (Wait).
    virtual TStep Next(std::string& out) = 0;
};

struct THttpAnswer {
    THttpReply Reply;                    // sent at once, unless one of the two below is set
    std::function<THttpReply()> Later;   // runs on the worker thread; its reply is sent
    std::shared_ptr<THttpStream> Stream; // sent after Reply's status and headers
    bool Trusted = false;   // the request showed the control token: never shed its connection
    bool TakesBody = false; // else a request with a body is refused before it is read
};

// Called on the event thread once a request's headers are in.
using THttpHandler = std::function<THttpAnswer(const THttpRequest&)>;

class THttpServer {
public:
    explicit THttpServer(THttpLimits limits);
    ~THttpServer();
    THttpServer(const THttpServer&) = delete;
    THttpServer& operator=(const THttpServer&) = delete;

    // Opens a listening socket on a numeric address; port 0 takes any free port. The port, or -1.
    // A TLS socket needs SetCertificate before Start.
    int Bind(const std::string& host, int port, bool tls = false);
    // The PEM certificate and key the TLS sockets present.
    void SetCertificate(std::string certificatePem, std::string keyPem);
    // Headers put on every answer.
    void SetDefaultHeaders(std::vector<std::pair<std::string, std::string>> headers);
    bool Start(THttpHandler handler);
    // Answers what is still waiting, ends the streams and closes every connection.
    void Stop();
    // Something changed: every waiting stream is asked for its next piece. Any thread.
    void WakeStreams();

    struct TImpl;

private:
    std::unique_ptr<TImpl> Impl;
};
