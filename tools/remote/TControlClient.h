// One connection to Kadrant's control socket: a command line out, its one reply line back.
// Everything is bounded in time, so a Kadrant that hangs or vanishes costs a caller at most the
// time-out; the connection is then dropped and made afresh on the next command. A command is sent
// at most once: it is tried again only when it surely never reached Kadrant.
#pragma once

#include "control/TLineFramer.h"
#include "tools/remote/TControlLink.h"

#include <deque>
#include <string>
#include <string_view>

enum class TCommandOutcome {
    Answered,   // the reply line is there
    NotReached, // the line never went out: Kadrant is not there
    NoAnswer,   // the line went out, no reply came in time: it may have run
};

class TControlClient {
public:
    // `socketPath`: the channel's address (ControlChannelIn).
    explicit TControlClient(std::string socketPath, int timeoutMs = 2000);
    ~TControlClient();
    TControlClient(const TControlClient&) = delete;
    TControlClient& operator=(const TControlClient&) = delete;

    // Sends `command` (one line, no LF) and waits for its reply.
    TCommandOutcome Command(std::string_view command, std::string& reply);
    void Disconnect();
    bool IsConnected() const { return Link.IsOpen(); }
    const std::string& LastProblem() const { return Problem; }

private:
    std::string SocketPath;
    int TimeoutMs;
    TControlLink Link;
    TLineFramer Reader;
    std::deque<std::string> Lines;
    std::string Problem;

    bool ReadLine(std::string& line, int timeoutMs);
};
