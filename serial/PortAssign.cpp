#include "serial/PortAssign.h"

#include "serial/PortNames.h"
#include "serial/PortPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace serialports {

namespace {

using portnames::ComName;
using portnames::LastCom;
using portpath::Absolute;
using portpath::LinkChain;

std::string PortPath(const TPortRoots& roots, int number) {
    return roots.Ports + "/" + ComName(number);
}

std::string DirName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ReadLink(const std::string& path) {
    char target[PATH_MAX];
    ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

bool InById(const TPortRoots& roots, const std::string& path) {
    return DirName(path) == Absolute(roots.ById) || DirName(path) == roots.ById;
}

// A link of ours names a USB adapter: a by-id name or an adapter's node.
bool NamesAdapter(const TPortRoots& roots, const std::string& target) {
    return InById(roots, target) || IsAdapterName(BaseName(target));
}

// A serial line's kernel name: tty, letters, digits (ttyS0, ttyUSB0, ttyACM0, ttyAMA0).
bool IsSerialName(const std::string& name) {
    size_t i = 3;
    while (i < name.size() && std::isalpha(static_cast<unsigned char>(name[i])))
        ++i;
    return name.compare(0, 3, "tty") == 0 && i > 3 && i < name.size() &&
           std::all_of(name.begin() + static_cast<long>(i), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// A path that leads, on its way, to a serial line that sysfs knows.
bool LeadsToSerialLine(const TPortRoots& roots, const std::string& path) {
    for (const std::string& hop : LinkChain(path)) {
        struct stat info;
        const std::string name = BaseName(hop);
        if (IsSerialName(name) && stat((roots.Sysfs + "/class/tty/" + name).c_str(), &info) == 0)
            return true;
    }
    return false;
}

bool DeviceOf(const std::string& path, dev_t& rdev) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    rdev = info.st_rdev;
    return true;
}

// The Com number whose name leads to this device, or 0.
int NumberLeadingTo(const TPortRoots& roots, dev_t rdev) {
    for (int number = 1; number <= LastCom; ++number) {
        dev_t other;
        if (DeviceOf(PortPath(roots, number), other) && other == rdev)
            return number;
    }
    return 0;
}

bool HasEntry(const TPortRoots& roots, int number) {
    struct stat info;
    return lstat(PortPath(roots, number).c_str(), &info) == 0 || errno != ENOENT;
}

// The directory's lock, held for one round of assignment. Waits a little for another program's
// round (a few milliseconds) but never blocks the caller for long.
class TDirectoryLock {
public:
    explicit TDirectoryLock(const std::string& dir) {
        Fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int attempt = 0; Fd >= 0 && attempt < 100; ++attempt) {
            if (flock(Fd, LOCK_EX | LOCK_NB) == 0) {
                Locked = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~TDirectoryLock() {
        if (Fd >= 0)
            close(Fd); // releases the lock
    }
    TDirectoryLock(const TDirectoryLock&) = delete;
    TDirectoryLock& operator=(const TDirectoryLock&) = delete;
    bool Held() const { return Locked; }

private:
    int Fd = -1;
    bool Locked = false;
};

// Makes ports/ComN a link to target unless ComN exists: a link under a temporary name, then a
// rename that refuses to replace. 0 done, EEXIST taken, another errno when the directory refuses.
int MakeLink(const TPortRoots& roots, int number, const std::string& target) {
    const std::string final = PortPath(roots, number);
    const std::string temporary =
        roots.Ports + "/." + ComName(number) + "." + std::to_string(getpid()) + ".new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0)
        return errno;
    int result = 0;
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, final.c_str(), RENAME_NOREPLACE) != 0) {
        result = errno;
        // File systems without the flag: a hard link to the temporary link fails just as well
        // when the name exists.
        if (result == EINVAL || result == ENOSYS)
            result = link(temporary.c_str(), final.c_str()) == 0 ? 0 : errno;
    }
    unlink(temporary.c_str());
    return result;
}

bool IsComNumber(int number, std::string& error) {
    if (portnames::IsComNumber(number))
        return true;
    error = ComName(number) + ": a Com number is " + std::to_string(portnames::FirstCom) + " to " +
            std::to_string(LastCom);
    return false;
}

bool EnsurePortsDir(const TPortRoots& roots) {
    return mkdir(roots.Ports.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string JoinNumbers(const std::vector<int>& numbers) {
    std::string text;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            text += i + 1 == numbers.size() ? " and " : ", ";
        text += ComName(numbers[i]);
    }
    return text;
}

} // namespace

std::vector<TComPort> DescribePorts(const TPortRoots& roots) {
    std::vector<TComPort> ports;
    for (int number = 1; number <= LastCom; ++number) {
        TComPort port;
        port.Number = number;
        const std::string path = PortPath(roots, number);
        struct stat info;
        if (lstat(path.c_str(), &info) != 0) {
            if (HasUart(roots, number)) {
                port.Present = true;
                port.Device = portnames::BuiltInDevice(number);
                port.Description = DescribeTty(roots, BaseName(port.Device), port.Device);
            }
        } else if (!S_ISLNK(info.st_mode)) {
            port.Entry = TComPort::NotALink;
            port.Description = path + " is not a link; Kadrant leaves it alone";
        } else {
            port.Entry = TComPort::Link;
            port.LinkTarget = ReadLink(path);
            const std::vector<std::string> chain = LinkChain(path);
            port.Adapter = std::any_of(chain.begin() + 1, chain.end(), [&](const std::string& p) {
                return NamesAdapter(roots, p);
            });
            port.ById = std::any_of(chain.begin() + 1, chain.end(),
                                    [&](const std::string& p) { return InById(roots, p); });
            dev_t rdev;
            port.Present = DeviceOf(path, rdev);
            if (port.Present) {
                port.Device = chain.back();
                port.Description = port.Device;
                // The last name on the way that sysfs knows is the kernel's name of the device:
                // /dev/ttyUSB0 rather than whatever that node may lead on to.
                for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
                    struct stat ttyInfo;
                    const std::string name = BaseName(*it);
                    if (stat((roots.Sysfs + "/class/tty/" + name).c_str(), &ttyInfo) == 0) {
                        port.Device = *it;
                        port.Description = DescribeTty(roots, name, *it);
                        break;
                    }
                }
            } else if (port.Adapter) {
                port.Description = "USB adapter not plugged in (" + BaseName(port.LinkTarget) + ")";
            } else {
                port.Description = "no device at " + port.LinkTarget;
            }
        }
        ports.push_back(port);
    }
    return ports;
}

std::vector<TAssignment> AssignAdapters(const TPortRoots& roots) {
    std::vector<TAssignment> made;
    std::vector<TAdapter> adapters = FindAdapters(roots);
    if (adapters.empty() || !EnsurePortsDir(roots))
        return made;
    TDirectoryLock lock(roots.Ports);
    if (!lock.Held())
        return made;
    int next = FirstAssignedCom;
    for (TAdapter& adapter : adapters) {
        if (NumberLeadingTo(roots, adapter.Rdev) != 0)
            continue;
        adapter.ById = Absolute(adapter.ById);
        for (; next <= LastCom; ++next) {
            if (HasEntry(roots, next) || HasUart(roots, next))
                continue;
            const int result = MakeLink(roots, next, adapter.ById);
            if (result == EEXIST)
                continue; // made by hand at this moment: the next number
            if (result != 0)
                return made; // the directory refuses links: nothing more to do
            made.push_back({next, adapter});
            ++next;
            break;
        }
        if (next > LastCom)
            break;
    }
    return made;
}

std::vector<TAdapter> AdaptersWithoutNumber(const TPortRoots& roots) {
    std::vector<TAdapter> left;
    for (const TAdapter& adapter : FindAdapters(roots)) {
        if (NumberLeadingTo(roots, adapter.Rdev) == 0)
            left.push_back(adapter);
    }
    return left;
}

std::string AdapterHint(int chosenPort, const std::vector<TComPort>& ports) {
    if (chosenPort < 1 || chosenPort > static_cast<int>(ports.size()) ||
        ports[chosenPort - 1].Present || ports[chosenPort - 1].ById)
        return {};
    std::vector<int> numbers;
    for (const TComPort& port : ports) {
        if (port.Adapter && port.Present && port.Number != chosenPort)
            numbers.push_back(port.Number);
    }
    if (numbers.empty())
        return {};
    return (numbers.size() == 1 ? "the USB adapter is " : "the USB adapters are ") +
           JoinNumbers(numbers);
}

std::string AdapterHint(int chosenPort, const TPortRoots& roots) {
    return AdapterHint(chosenPort, DescribePorts(roots));
}

bool AssignPort(const TPortRoots& roots, int number, const std::string& device,
                std::string& error) {
    if (!IsComNumber(number, error))
        return false;
    std::string path = device;
    if (device.find('/') == std::string::npos)
        path = roots.ById + "/" + device;
    struct stat info;
    if (device.empty() || stat(path.c_str(), &info) != 0) {
        error = "no such device: " + device;
        return false;
    }
    if (!S_ISCHR(info.st_mode) || !LeadsToSerialLine(roots, path)) {
        error = "not a serial device: " + device;
        return false;
    }
    // A by-id name keeps the number whichever socket the adapter is in.
    std::string target = Absolute(path);
    for (const TAdapter& adapter : FindAdapters(roots)) {
        if (adapter.Rdev == info.st_rdev && !InById(roots, target))
            target = Absolute(adapter.ById);
    }
    const std::string entry = PortPath(roots, number);
    struct stat entryInfo;
    if (lstat(entry.c_str(), &entryInfo) == 0) {
        error = S_ISLNK(entryInfo.st_mode) ? ComName(number) + " already leads to " +
                                                 ReadLink(entry) + " (forget it first)"
                                           : entry + " is not a link; left alone";
        return false;
    }
    if (const int other = NumberLeadingTo(roots, info.st_rdev)) {
        error = device + " is already " + ComName(other) + " (forget that first)";
        return false;
    }
    if (!EnsurePortsDir(roots)) {
        error = "cannot make " + roots.Ports + ": " + std::strerror(errno);
        return false;
    }
    const int result = MakeLink(roots, number, target);
    if (result != 0) {
        error = result == EEXIST ? ComName(number) + " was taken just now"
                                 : "cannot write in " + roots.Ports + ": " + std::strerror(result);
        return false;
    }
    return true;
}

bool ForgetPort(const TPortRoots& roots, int number, std::string& error) {
    if (!IsComNumber(number, error))
        return false;
    const std::string entry = PortPath(roots, number);
    struct stat info;
    if (lstat(entry.c_str(), &info) != 0) {
        error = ComName(number) + " has no link";
        return false;
    }
    if (!S_ISLNK(info.st_mode)) {
        error = entry + " is not a link; left alone";
        return false;
    }
    const std::string target = ReadLink(entry);
    const std::string resolved = target[0] == '/' ? target : roots.Ports + "/" + target;
    // Ours: what assign makes, a link to an adapter's by-id name or to a serial line.
    if (!NamesAdapter(roots, resolved) && !IsSerialName(BaseName(resolved))) {
        error = ComName(number) + " leads to " + target +
                ", not to a serial device; remove it by hand if you mean to";
        return false;
    }
    if (unlink(entry.c_str()) != 0) {
        error = "cannot remove " + entry + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace serialports
