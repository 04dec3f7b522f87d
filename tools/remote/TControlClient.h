// One connection to Kadrant's control socket: a command line out, its one reply line back.
// Everything is bounded in time, so a Kadrant that hangs or vanishes costs a caller at most the
// time-out; the connection is then dropped and made afresh on the next command. A command is sent
// at most once: it is tried again only when it surely never reached Kadrant.
#pragma once

#include "control/TLineFramer.h"

#include <deque>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unistd.h>

// Connects to the control socket at `path` and checks that the program at the other end runs as
// `user` (this user unless told; asked of the connected socket itself, so nothing can be swapped
// in between). -1 with the reason on failure.
int ConnectKadrantSocket(const std::string& path, std::string& why, uid_t user = geteuid());

// Writes all of `data` within `timeoutMs`; `written` tells how much went out.
bool WriteAll(int fd, std::string_view data, int timeoutMs, std::size_t* written = nullptr);

enum class TCommandOutcome {
    Answered,   // the reply line is there
    NotReached, // the line never went out: Kadrant is not there
    NoAnswer,   // the line went out, no reply came in time: it may have run
};

class TControlClient {
public:
    explicit TControlClient(std::string socketPath, int timeoutMs = 2000);
    ~TControlClient();
    TControlClient(const TControlClient&) = delete;
    TControlClient& operator=(const TControlClient&) = delete;

    // Sends `command` (one line, no LF) and waits for its reply.
    TCommandOutcome Command(std::string_view command, std::string& reply);
    void Disconnect();
    bool IsConnected() const { return Fd >= 0; }
    const std::string& LastProblem() const { return Problem; }

private:
    std::string SocketPath;
    int TimeoutMs;
    int Fd = -1;
    TLineFramer Reader;
    std::deque<std::string> Lines;
    std::string Problem;

    bool ReadLine(std::string& line, int timeoutMs);
    bool SeenClosed() const;
};
