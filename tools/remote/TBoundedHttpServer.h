// The HTTP server with hard bounds on what one client can hold: a whole request (line, headers,
// body) must arrive within a fixed time and a fixed number of bytes, an idle keep-alive
// connection is closed after a while, and a connection serves a bounded number of requests. The
// library's own reader only bounds each single read, which lets a client that sends one byte every
// few seconds hold a worker for ever.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>

struct TConnectionLimits {
    std::chrono::milliseconds RequestTime{5000}; // from the first byte to the end of the body
    std::chrono::milliseconds IdleTime{5000};    // waiting for the next request on a connection
    std::chrono::milliseconds WriteTime{5000};   // one write that makes no progress
    std::size_t RequestBytes = 16384;            // request line, headers and body together
    std::size_t RequestsPerConnection = 100;
};

class TBoundedHttpServer : public httplib::Server {
public:
    explicit TBoundedHttpServer(TConnectionLimits limits) : Limits(limits) {}

    // The library listens with a backlog of 5: a room full of phones opening the page at once
    // would see their connections dropped and retried seconds later. Call after binding.
    bool RaiseBacklog(int backlog);

    // True when the client of the connection being served on this thread has hung up; a
    // long-lived response (live events) asks it to give back its worker at once.
    static bool CurrentPeerGone();

private:
    TConnectionLimits Limits;

    bool process_and_close_socket(socket_t sock) override;
};
