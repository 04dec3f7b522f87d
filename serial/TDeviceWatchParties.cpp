// The watch's parties, the same on every platform: who is told, and telling them.
#include "serial/TDeviceWatch.h"

int TDeviceWatch::Add(TChanged changed) {
    std::lock_guard<std::mutex> lock(Mutex);
    Parties[NextId].Changed = std::move(changed);
    return NextId++;
}

void TDeviceWatch::Tell(const std::set<int>& ids) {
    for (const int id : ids) {
        std::lock_guard<std::recursive_mutex> telling(Telling);
        TChanged changed;
        {
            std::lock_guard<std::mutex> lock(Mutex);
            const auto party = Parties.find(id);
            if (party == Parties.end())
                continue;
            changed = party->second.Changed;
        }
        if (changed)
            changed();
    }
}
