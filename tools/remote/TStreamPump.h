// The responses that are sent as they come (live events), on the HTTP library's event thread. A
// stream with nothing to say is suspended, so that it costs no turn of the thread, and woken when
// something changes (or at a tick: pings, and clients that left). A stream is cut when its client
// has left, or when what was sent has sat unread in the kernel for the stall time: a phone that
// went out of range, or a client that reads nothing.
#pragma once

#include "tools/remote/THttpServer.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <sys/types.h>

struct MHD_Connection;
struct MHD_Response;

class TStreamPump {
public:
    explicit TStreamPump(std::chrono::milliseconds stallTime) : StallTime(stallTime) {}

    // The library's response that sends `stream` on `connection`; null when none could be made.
    MHD_Response* Open(MHD_Connection* connection, std::shared_ptr<THttpStream> stream);
    // Every suspended stream is asked for its next piece. Any thread.
    void WakeAll();
    // Every stream ends at its next turn; the suspended ones are woken for it.
    void Stop();

    struct TState;

private:
    std::chrono::milliseconds StallTime;
    std::mutex Mutex;
    std::set<TState*> Streams;
    bool Stopping = false;

    static ssize_t Read(void* cls, std::uint64_t, char* buffer, std::size_t max);
    static void Free(void* cls);
    ssize_t Produce(TState& state, char* buffer, std::size_t max);
    bool Stalled(TState& state) const;
};
