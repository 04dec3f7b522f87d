#include "tools/remote/TStateHub.h"

void TStateHub::Publish(const std::string& json) {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (State.Up && State.Json == json)
            return;
        State.Up = true;
        State.Json = json;
        ++State.Version;
    }
    Changed.notify_all();
}

void TStateHub::SetDown() {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (!State.Up)
            return;
        State.Up = false;
        State.Json.clear();
        ++State.Version;
    }
    Changed.notify_all();
}

TStateSnapshot TStateHub::Current() const {
    std::lock_guard<std::mutex> lock(Mutex);
    return State;
}

bool TStateHub::WaitNewer(std::uint64_t seen, std::chrono::milliseconds timeout,
                          TStateSnapshot& out) {
    std::unique_lock<std::mutex> lock(Mutex);
    bool newer = Changed.wait_for(lock, timeout, [&] { return Closed || State.Version > seen; });
    if (!newer || Closed)
        return false;
    out = State;
    return true;
}

void TStateHub::Close() {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Closed = true;
    }
    Changed.notify_all();
}

bool TStateHub::IsClosed() const {
    std::lock_guard<std::mutex> lock(Mutex);
    return Closed;
}
