#include "control/RemoteCommand.h"
#include "control/RemoteReply.h"
#include "tools/remote/TControlClient.h"
#include "tools/remote/TStateWatcher.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace {

// Without `watch` a change is seen only when asked for: often enough that a running clock on a
// phone does not visibly lag behind the board.
constexpr std::chrono::milliseconds AskEvery{250};

} // namespace

struct TStateWatcher::TWake {
    std::mutex Mutex;
    std::condition_variable Stopped;
};

TStateWatcher::TStateWatcher(std::string socketPath, TStateHub& hub,
                             std::chrono::milliseconds retry, std::chrono::milliseconds poll)
    : SocketPath(std::move(socketPath)), Hub(hub), Retry(retry), Poll(poll),
      Wake(std::make_unique<TWake>()) {}

TStateWatcher::~TStateWatcher() {
    Stop();
}

bool TStateWatcher::Start() {
    Thread = std::thread([this] { Run(); });
    return true;
}

void TStateWatcher::Stop() {
    if (!Thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(Wake->Mutex);
        Stopping = true;
    }
    Wake->Stopped.notify_all();
    Thread.join();
}

bool TStateWatcher::Sleep(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(Wake->Mutex);
    return !Wake->Stopped.wait_for(lock, duration, [this] { return Stopping.load(); });
}

void TStateWatcher::Run() {
    // One connection per question: the pipe serves one client at a time, and the commands
    // need it too.
    TControlClient asker(SocketPath);
    while (!Stopping) {
        std::string reply;
        const bool up =
            asker.Command(RemoteVerbName(TRemoteVerb::State), reply) == TCommandOutcome::Answered;
        if (!up)
            Hub.SetDown();
        else if (ClassifyReply(reply) == TReplyKind::State)
            Hub.Publish(reply);
        if (!Sleep(up ? std::min(Poll, AskEvery) : Retry))
            break;
    }
}
