#include "serial/WatchEvents.h"

#include <cstring>
#include <sys/inotify.h>

namespace watchevents {

void Judge(const char* events, std::size_t length, const std::map<int, TWanted>& watched,
           const std::set<int>& everyone, TVerdict& verdict) {
    std::size_t at = 0;
    while (at + sizeof(inotify_event) <= length) {
        inotify_event event;
        std::memcpy(&event, events + at, sizeof event);
        const char* name = events + at + sizeof event;
        at += sizeof event + event.len;
        if (at > length)
            break; // a cut record: the kernel never hands one out
        if (event.mask & IN_Q_OVERFLOW) {
            // Events were lost: everyone looks.
            verdict.Touched.insert(everyone.begin(), everyone.end());
            verdict.Moved = true;
            continue;
        }
        const auto where = watched.find(event.wd);
        if (where == watched.end())
            continue;
        const TWanted& wanted = where->second;
        if (event.mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
            for (const auto& [entry, ids] : wanted.Names)
                verdict.Touched.insert(ids.begin(), ids.end());
            verdict.Touched.insert(wanted.AnyName.begin(), wanted.AnyName.end());
            verdict.Moved = true;
            continue;
        }
        if (event.len == 0)
            continue; // the directory's own rights: nothing on the way changed
        const auto named = wanted.Names.find(std::string(name, strnlen(name, event.len)));
        if (named != wanted.Names.end()) {
            verdict.Touched.insert(named->second.begin(), named->second.end());
            verdict.Moved = true;
        }
        verdict.Touched.insert(wanted.AnyName.begin(), wanted.AnyName.end());
    }
}

} // namespace watchevents
