// Says, from a thread of its own, when something changes on the way a path leads: the link
// itself, each link it passes through, the node at the end, and the directories that hold them
// (a directory that is missing is watched for from the nearest one that exists; one that is
// removed or replaced is followed). Built on Linux inotify; where that cannot be had, Start says
// so and nobody is ever told anything, so callers keep a slower look of their own as the floor.
// On Windows (TDeviceWatchWindows.cpp) every party is told when a COM port arrives or leaves: the
// names lead to Windows' own ports, not through links.
#pragma once

#include "serial/WatchEvents.h"

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class TDeviceWatch {
public:
    using TChanged = std::function<void()>;

    TDeviceWatch() = default;
    ~TDeviceWatch(); // stops the thread
    TDeviceWatch(const TDeviceWatch&) = delete;
    TDeviceWatch& operator=(const TDeviceWatch&) = delete;

    // False, with one line on standard error, when inotify cannot be had.
    bool Start();
    void Stop();
    bool IsWatching() const { return Thread.joinable(); }

    // A party told of changes, on the watch's thread, after each batch of them: keep it short.
    // Any thread. Returns its id.
    int Add(TChanged changed);
    // Once it returns, the party's function is not running and is never called again.
    void Remove(int id);
    // What the party is told about: changes on the way each of `paths` leads, and any entry
    // made or removed in each of `dirs`. Relative paths are taken from the current directory now.
    void Follow(int id, const std::vector<std::string>& paths,
                const std::vector<std::string>& dirs);

private:
    using TWanted = watchevents::TWanted;
    struct TParty {
        TChanged Changed;
        std::vector<std::string> Paths;
        std::vector<std::string> Dirs;
    };

    using TWantedDirs = std::map<std::string, TWanted>;
    static void WantEntry(TWantedDirs& wanted, std::string path, int id);

    void Run();
    // What the parties follow now, directory by directory; Mutex held.
    TWantedDirs WantedNow() const;
    void WatchDirs(const TWantedDirs& wanted);
    // Sets the watches up for what the parties follow now; Mutex held. Returns the parties of
    // directories watched only from now on: what happened in them before went unseen.
    std::set<int> Rewatch();
    // The parties that the waiting events concern.
    std::set<int> ReadEvents();
    void Tell(const std::set<int>& ids);

    // Parties and the watches. Follow sets the watches up itself, so that a change right after
    // it returns is seen.
    std::mutex Mutex;
    std::map<int, TParty> Parties;
    int NextId = 1;
    std::map<std::string, int> DirWatch; // directory -> watch descriptor
    std::map<int, TWanted> Watched;      // watch descriptor -> what matters there
    int Inotify = -1;
    // Held while a party is told, so that Remove can wait for the end of a call.
    std::recursive_mutex Telling;

    int StopFd = -1;        // an eventfd written by Stop
    void* Window = nullptr; // Windows: the message-only window told of COM ports (Mutex held)
    std::thread Thread;
};
