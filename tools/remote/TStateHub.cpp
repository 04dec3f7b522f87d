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
    Changed();
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
    Changed();
}

TStateSnapshot TStateHub::Current() const {
    std::lock_guard<std::mutex> lock(Mutex);
    return State;
}
