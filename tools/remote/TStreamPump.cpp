#include "tools/remote/TStreamPump.h"

#include "tools/remote/HttpSockets.h"

#include <cstring>
#include <microhttpd.h>
#include <vector>

using Clock = std::chrono::steady_clock;

struct TStreamPump::TState {
    TStreamPump* Pump = nullptr;
    MHD_Connection* Connection = nullptr;
    MHD_socket Fd = MHD_INVALID_SOCKET;
    std::shared_ptr<THttpStream> Stream;
    std::string Pending;
    std::size_t Sent = 0;
    bool Suspended = false;          // by us, until WakeAll
    Clock::time_point UnsentSince{}; // the kernel has held unsent bytes since (epoch: none)
};

MHD_Response* TStreamPump::Open(MHD_Connection* connection, std::shared_ptr<THttpStream> stream) {
    const MHD_ConnectionInfo* fd =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    auto* state = new TState;
    state->Pump = this;
    state->Connection = connection;
    state->Fd = fd != nullptr ? fd->connect_fd : MHD_INVALID_SOCKET;
    state->Stream = std::move(stream);
    MHD_Response* response =
        MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 1024, &Read, state, &Free);
    if (response == nullptr) {
        delete state;
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(Mutex);
    Streams.insert(state);
    return response;
}

void TStreamPump::WakeAll() {
    std::vector<MHD_Connection*> waking;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        for (TState* state : Streams)
            if (state->Suspended) {
                state->Suspended = false;
                waking.push_back(state->Connection);
            }
    }
    // A suspended connection stays until resumed, and only whoever cleared the flag resumes it.
    for (MHD_Connection* connection : waking)
        MHD_resume_connection(connection);
}

void TStreamPump::Stop() {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Stopping = true;
    }
    WakeAll();
}

ssize_t TStreamPump::Read(void* cls, std::uint64_t, char* buffer, std::size_t max) {
    auto* state = static_cast<TState*>(cls);
    return state->Pump->Produce(*state, buffer, max);
}

void TStreamPump::Free(void* cls) {
    auto* state = static_cast<TState*>(cls);
    {
        std::lock_guard<std::mutex> lock(state->Pump->Mutex);
        state->Pump->Streams.erase(state);
    }
    delete state;
}

bool TStreamPump::Stalled(TState& state) const {
    if (UnsentBytes(state.Fd) <= 0) {
        state.UnsentSince = {};
        return false;
    }
    if (state.UnsentSince == Clock::time_point{})
        state.UnsentSince = Clock::now();
    return Clock::now() - state.UnsentSince >= StallTime;
}

ssize_t TStreamPump::Produce(TState& state, char* buffer, std::size_t max) {
    if (PeerGone(state.Fd) || Stalled(state))
        return MHD_CONTENT_READER_END_WITH_ERROR;
    if (state.Sent == state.Pending.size()) {
        state.Pending.clear();
        state.Sent = 0;
        // Under the lock, so that a wake-up cannot fall between looking and suspending.
        std::lock_guard<std::mutex> lock(Mutex);
        THttpStream::TStep step =
            Stopping ? THttpStream::TStep::End : state.Stream->Next(state.Pending);
        if (step == THttpStream::TStep::End)
            return MHD_CONTENT_READER_END_OF_STREAM;
        if (state.Pending.empty()) {
            state.Suspended = true;
            MHD_suspend_connection(state.Connection);
            return 0;
        }
    }
    std::size_t count = std::min(max, state.Pending.size() - state.Sent);
    std::memcpy(buffer, state.Pending.data() + state.Sent, count);
    state.Sent += count;
    return static_cast<ssize_t>(count);
}
