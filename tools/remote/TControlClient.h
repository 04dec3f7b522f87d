// One connection to Kadrant's control socket: a command line out, its one reply line back.
// Everything is bounded in time, so a Kadrant that hangs or vanishes costs a caller at most the
// time-out; the connection is then dropped and made afresh on the next command.
#pragma once

#include "tools/remote/TLineReader.h"

#include <deque>
#include <string>
#include <string_view>

// Connects to the control socket at `path`, refusing anything that is not a socket of this user
// (a regular file or a link put in its place). -1 with the reason on failure.
int ConnectKadrantSocket(const std::string& path, std::string& why);

// Writes all of `data` within `timeoutMs`.
bool WriteAll(int fd, std::string_view data, int timeoutMs);

class TControlClient {
public:
    explicit TControlClient(std::string socketPath, int timeoutMs = 2000);
    ~TControlClient();
    TControlClient(const TControlClient&) = delete;
    TControlClient& operator=(const TControlClient&) = delete;

    // Sends `command` (one line, no LF) and waits for its reply. False when Kadrant cannot be
    // reached or does not answer in time.
    bool Command(std::string_view command, std::string& reply);
    void Disconnect();
    bool IsConnected() const { return Fd >= 0; }
    const std::string& LastProblem() const { return Problem; }

private:
    std::string SocketPath;
    int TimeoutMs;
    int Fd = -1;
    TLineReader Reader;
    std::deque<std::string> Lines;
    std::string Problem;

    bool ReadLine(std::string& line, int timeoutMs);
};
