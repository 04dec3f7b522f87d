#include "serial/TDeviceWatch.h"

#include "serial/PortPath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Entries made, removed, renamed or given other rights (udev sets a node's group after the
// kernel made it), and the watched directory itself going away.
constexpr uint32_t WatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                               IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

std::string DirName(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "/" : parent;
}

std::string BaseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

// The entry `path` in its directory, and that directory in its own so that a directory removed
// or replaced is seen; a directory that is missing is watched for from the nearest one that
// exists.
void TDeviceWatch::WantEntry(TWantedDirs& wanted, std::string path, int id) {
    for (int depth = 0; depth < 64 && path != "/"; ++depth) {
        const std::string dir = DirName(path);
        if (IsDirectory(dir)) {
            wanted[dir].Names[BaseName(path)].insert(id);
            if (dir != "/")
                wanted[DirName(dir)].Names[BaseName(dir)].insert(id);
            return;
        }
        path = dir;
    }
}

TDeviceWatch::~TDeviceWatch() {
    Stop();
}

bool TDeviceWatch::Start() {
    if (IsWatching())
        return true;
    const int inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    StopFd = inotify < 0 ? -1 : eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (StopFd < 0) {
        std::fprintf(stderr, "kadrant: cannot watch for devices (%s); looking once a second\n",
                     std::strerror(errno));
        if (inotify >= 0)
            close(inotify);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Inotify = inotify;
        Rewatch();
    }
    Thread = std::thread([this] { Run(); });
    return true;
}

void TDeviceWatch::Stop() {
    if (!Thread.joinable())
        return;
    const uint64_t one = 1;
    if (write(StopFd, &one, sizeof one) < 0)
        std::fprintf(stderr, "kadrant: device watch: %s\n", std::strerror(errno));
    Thread.join();
    std::lock_guard<std::mutex> lock(Mutex);
    close(Inotify);
    close(StopFd);
    Inotify = StopFd = -1;
    DirWatch.clear();
    Watched.clear();
}

void TDeviceWatch::Remove(int id) {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (Parties.erase(id) == 0)
            return;
        Rewatch();
    }
    std::lock_guard<std::recursive_mutex> wait(Telling);
}

void TDeviceWatch::Follow(int id, const std::vector<std::string>& paths,
                          const std::vector<std::string>& dirs) {
    std::lock_guard<std::mutex> lock(Mutex);
    auto party = Parties.find(id);
    if (party == Parties.end())
        return;
    party->second.Paths.clear();
    party->second.Dirs.clear();
    for (const std::string& path : paths)
        party->second.Paths.push_back(portpath::Absolute(path));
    for (const std::string& dir : dirs)
        party->second.Dirs.push_back(portpath::Absolute(dir));
    Rewatch();
}

TDeviceWatch::TWantedDirs TDeviceWatch::WantedNow() const {
    TWantedDirs wanted;
    for (const auto& [id, party] : Parties) {
        for (const std::string& path : party.Paths)
            for (const std::string& hop : portpath::LinkChain(path))
                WantEntry(wanted, std::filesystem::path(hop).lexically_normal().string(), id);
        for (const std::string& dir : party.Dirs) {
            if (IsDirectory(dir))
                wanted[dir].AnyName.insert(id);
            WantEntry(wanted, dir, id);
        }
    }
    return wanted;
}

void TDeviceWatch::WatchDirs(const TWantedDirs& wanted) {
    std::map<std::string, int> dirWatch;
    std::map<int, TWanted> watched;
    for (const auto& [dir, want] : wanted) {
        // A directory that went away meanwhile, or no watches left: the callers' own looks
        // stay the floor.
        const int wd = inotify_add_watch(Inotify, dir.c_str(), WatchMask);
        if (wd < 0)
            continue;
        dirWatch[dir] = wd;
        TWanted& into = watched[wd];
        for (const auto& [name, ids] : want.Names)
            into.Names[name].insert(ids.begin(), ids.end());
        into.AnyName.insert(want.AnyName.begin(), want.AnyName.end());
    }
    for (const auto& [dir, wd] : DirWatch)
        if (watched.count(wd) == 0)
            inotify_rm_watch(Inotify, wd);
    DirWatch.swap(dirWatch);
    Watched.swap(watched);
}

// A name made between the look and its directory's watch is never told (udev makes
// /dev/serial/by-id and the first adapter's link at once): after setting the watches, look
// again until what is wanted stands still.
std::set<int> TDeviceWatch::Rewatch() {
    std::set<int> fresh;
    if (Inotify < 0)
        return fresh;
    const std::map<std::string, int> before = DirWatch;
    TWantedDirs wanted = WantedNow();
    for (int look = 0; look < 16; ++look) {
        WatchDirs(wanted);
        TWantedDirs now = WantedNow();
        if (now == wanted)
            break;
        wanted = std::move(now);
    }
    for (const auto& [dir, wd] : DirWatch) {
        if (before.count(dir) != 0)
            continue;
        const TWanted& want = Watched[wd];
        for (const auto& [name, ids] : want.Names)
            fresh.insert(ids.begin(), ids.end());
        fresh.insert(want.AnyName.begin(), want.AnyName.end());
    }
    return fresh;
}

std::set<int> TDeviceWatch::ReadEvents() {
    watchevents::TVerdict verdict;
    alignas(inotify_event) char buffer[8192];
    std::lock_guard<std::mutex> lock(Mutex);
    std::set<int> everyone;
    for (const auto& [id, party] : Parties)
        everyone.insert(id);
    for (;;) {
        const ssize_t length = read(Inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        watchevents::Judge(buffer, static_cast<std::size_t>(length), Watched, everyone, verdict);
    }
    if (verdict.Moved) {
        const std::set<int> fresh = Rewatch();
        verdict.Touched.insert(fresh.begin(), fresh.end());
    }
    return verdict.Touched;
}

void TDeviceWatch::Run() {
    pollfd waits[2] = {{Inotify, POLLIN, 0}, {StopFd, POLLIN, 0}};
    for (;;) {
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents != 0)
            return;
        Tell(ReadEvents());
    }
}
