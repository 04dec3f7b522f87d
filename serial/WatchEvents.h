// What a batch of inotify events means to the parties of a device watch: whom to tell, and
// whether some way may now lead elsewhere, so that the watches must be worked out again.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>

namespace watchevents {

// A watched directory: the entry names that matter and to whom; AnyName: every entry.
struct TWanted {
    std::map<std::string, std::set<int>> Names;
    std::set<int> AnyName;
    bool operator==(const TWanted&) const = default;
};

struct TVerdict {
    std::set<int> Touched;
    bool Moved = false;
};

// Adds what `length` bytes of events mean to `verdict`. `watched` maps each watch descriptor to
// what matters there; `everyone` is told when the kernel's queue overflowed (events were lost).
void Judge(const char* events, std::size_t length, const std::map<int, TWanted>& watched,
           const std::set<int>& everyone, TVerdict& verdict);

} // namespace watchevents
