#include "tools/remote/TControlClient.h"

#include <chrono>

namespace {

// State lines are a few hundred bytes; anything far longer is not Kadrant talking.
constexpr std::size_t MaxReplyLine = 8192;

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

TControlClient::TControlClient(std::string socketPath, int timeoutMs)
    : SocketPath(std::move(socketPath)), TimeoutMs(timeoutMs), Reader(MaxReplyLine) {}

TControlClient::~TControlClient() {
    Disconnect();
}

void TControlClient::Disconnect() {
    Link.Close();
    Reader.Reset();
    Lines.clear();
}

TCommandOutcome TControlClient::Command(std::string_view command, std::string& reply) {
    std::string line(command);
    line.push_back('\n');
    // A kept connection may be left from a Kadrant that has since ended; it is only given up
    // before anything of the line went out on it, so that the line reaches Kadrant once at most.
    if (Link.IsOpen() && Link.SeenClosed())
        Disconnect();
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool fresh = !Link.IsOpen();
        if (fresh && !Link.Open(SocketPath, TimeoutMs, Problem))
            return TCommandOutcome::NotReached;
        std::size_t written = 0;
        bool sent = Link.Write(line, TimeoutMs, &written);
        if (sent && ReadLine(reply, TimeoutMs)) {
            if (!TControlLink::KeepsOpen)
                Disconnect();
            return TCommandOutcome::Answered;
        }
        // A late reply must never be taken for the next command's: this connection is done.
        Disconnect();
        if (written > 0)
            return TCommandOutcome::NoAnswer;
        if (fresh)
            return TCommandOutcome::NotReached;
    }
    return TCommandOutcome::NotReached;
}

bool TControlClient::ReadLine(std::string& line, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    while (Lines.empty()) {
        int left = RemainingMs(deadline);
        long n = left > 0 ? Link.Read(buffer, sizeof buffer, left) : -1;
        if (n < 0) {
            Problem = "Kadrant did not answer in time";
            return false;
        }
        if (n == 0) {
            Problem = "Kadrant closed the connection";
            return false;
        }
        Reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)),
                    [this](std::string_view l, bool overlong) {
                        if (!overlong)
                            Lines.emplace_back(l);
                    });
    }
    line = std::move(Lines.front());
    Lines.pop_front();
    return true;
}
