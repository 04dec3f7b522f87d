#include "tools/boardsim/TPtyPort.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char LinkForSignal[PATH_MAX];

void RemoveLinkAndExit(int) {
    if (LinkForSignal[0])
        unlink(LinkForSignal);
    _exit(0);
}

} // namespace

TPtyPort::~TPtyPort() {
    if (!Link.empty())
        unlink(Link.c_str());
    LinkForSignal[0] = '\0';
    if (SlaveFd >= 0)
        close(SlaveFd);
    if (Master >= 0)
        close(Master);
}

bool TPtyPort::Create(const std::string& dir, int comNumber, std::string& error) {
    Dir = dir;
    ComNumber = comNumber;
    return Plug(error);
}

void TPtyPort::Unplug() {
    if (!Link.empty())
        unlink(Link.c_str());
    if (SlaveFd >= 0)
        close(SlaveFd);
    if (Master >= 0)
        close(Master);
    SlaveFd = Master = -1;
}

bool TPtyPort::Replug(std::string& error) {
    Unplug();
    return Plug(error);
}

bool TPtyPort::Plug(std::string& error) {
    const std::string& dir = Dir;
    const int comNumber = ComNumber;
    Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    Slave = ptsname(Master);
    SlaveFd = open(Slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (SlaveFd < 0) {
        error = "cannot open " + Slave + ": " + std::strerror(errno);
        return false;
    }
    std::string ports = dir + "/ports";
    if (mkdir(ports.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot make " + ports + ": " + std::strerror(errno);
        return false;
    }
    std::string link = ports + "/Com" + std::to_string(comNumber);
    struct stat info;
    // A link to a pseudo-terminal is one a simulator left when it was killed hard: ours to
    // replace. Anything else (an operator's link to a real port or adapter) is not.
    if (lstat(link.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = link + " exists and is not a link";
            return false;
        }
        char target[4096];
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        const std::string to(target, length > 0 ? static_cast<size_t>(length) : 0);
        if (to.rfind("/dev/pts/", 0) != 0) {
            error = link + " leads to " + to + ", not a simulator's line: choose another --port";
            return false;
        }
        unlink(link.c_str());
    }
    if (symlink(Slave.c_str(), link.c_str()) != 0) {
        error = "cannot link " + link + ": " + std::strerror(errno);
        return false;
    }
    Link = link;
    return true;
}

void TPtyPort::RemoveLinkOnSignals() {
    std::snprintf(LinkForSignal, sizeof LinkForSignal, "%s", Link.c_str());
    struct sigaction action {};
    action.sa_handler = RemoveLinkAndExit;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool TPtyPort::ReadInto(int fd, TBoardSession& session, std::vector<TBoardEvent>& events,
                        long long nowMs) {
    char chunk[4096];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) {
            std::vector<TBoardEvent> more = session.Receive(chunk, static_cast<size_t>(n), nowMs);
            events.insert(events.end(), more.begin(), more.end());
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}
