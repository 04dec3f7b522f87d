#include "tools/remote/TStateWatcher.h"

#include "control/RemoteCommand.h"
#include "control/RemoteReply.h"
#include "control/TLineFramer.h"
#include "tools/remote/KadrantSocket.h"
#include "tools/remote/TControlClient.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

struct TStateWatcher::TWake {
    int Pipe[2] = {-1, -1};
};

TStateWatcher::TStateWatcher(std::string socketPath, TStateHub& hub,
                             std::chrono::milliseconds retry, std::chrono::milliseconds poll)
    : SocketPath(std::move(socketPath)), Hub(hub), Retry(retry), Poll(poll),
      Wake(std::make_unique<TWake>()) {}

TStateWatcher::~TStateWatcher() {
    Stop();
}

bool TStateWatcher::Start() {
    if (pipe2(Wake->Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    Thread = std::thread([this] { Run(); });
    return true;
}

void TStateWatcher::Stop() {
    if (!Thread.joinable())
        return;
    Stopping = true;
    char byte = 1;
    (void)!write(Wake->Pipe[1], &byte, 1);
    Thread.join();
    close(Wake->Pipe[0]);
    close(Wake->Pipe[1]);
    Wake->Pipe[0] = Wake->Pipe[1] = -1;
}

bool TStateWatcher::Sleep(std::chrono::milliseconds duration) {
    pollfd p{Wake->Pipe[0], POLLIN, 0};
    poll(&p, 1, static_cast<int>(duration.count()));
    return !Stopping;
}

void TStateWatcher::Run() {
    while (!Stopping) {
        std::string why;
        int fd = ConnectKadrantSocket(SocketPath, why);
        if (fd >= 0) {
            WatchOnce(fd);
            close(fd);
        }
        Hub.SetDown();
        if (!Sleep(Retry))
            break;
    }
}

void TStateWatcher::WatchOnce(int fd) {
    if (!WriteAll(fd, "watch\n", 2000))
        return;
    TControlClient poller(SocketPath);
    TLineFramer reader(8192);
    auto onLine = [&](std::string_view line, bool overlong) {
        if (!overlong && ClassifyReply(line) == TReplyKind::State)
            Hub.Publish(std::string(line));
    };
    char buffer[4096];
    auto nextPoll = std::chrono::steady_clock::now() + Poll;
    while (!Stopping) {
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            nextPoll - std::chrono::steady_clock::now());
        pollfd p[2] = {{fd, POLLIN, 0}, {Wake->Pipe[0], POLLIN, 0}};
        int ready = poll(p, 2, wait.count() > 0 ? static_cast<int>(wait.count()) : 0);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready > 0 && (p[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                return;
            if (n > 0)
                reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), onLine);
        }
        if (std::chrono::steady_clock::now() >= nextPoll) {
            std::string reply;
            if (poller.Command(RemoteVerbName(TRemoteVerb::State), reply) ==
                TCommandOutcome::Answered)
                onLine(reply, false);
            nextPoll = std::chrono::steady_clock::now() + Poll;
        }
    }
}
