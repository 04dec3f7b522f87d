// The simulator's end of the line: a pseudo-terminal whose slave is linked as <dir>/ports/ComN,
// where the program finds its port. The slave stays open here too, so that the master never
// reports a hang-up between two openings by the program. It can be unplugged and plugged back.
#pragma once

#include "tools/boardsim/TBoardSession.h"

#include <string>
#include <vector>

class TPtyPort {
public:
    TPtyPort() = default;
    ~TPtyPort(); // removes the link
    TPtyPort(const TPtyPort&) = delete;
    TPtyPort& operator=(const TPtyPort&) = delete;

    bool Create(const std::string& dir, int comNumber, std::string& error);
    // As a pulled cable: the pseudo-terminal goes (the program's end sees a hang-up) and so does
    // the link.
    void Unplug();
    // As the adapter plugged back in: a new pseudo-terminal behind the same link.
    bool Replug(std::string& error);
    bool IsPlugged() const { return Master >= 0; }
    int MasterFd() const { return Master; }
    const std::string& LinkPath() const { return Link; }
    const std::string& SlavePath() const { return Slave; }

    // Reads what the master has (non-blocking) into the session; false when the line is gone.
    static bool ReadInto(int masterFd, TBoardSession& session, std::vector<TBoardEvent>& events,
                         long long nowMs);

    // Removes the link also when the process ends by SIGINT, SIGTERM or SIGHUP.
    void RemoveLinkOnSignals();

private:
    bool Plug(std::string& error);

    std::string Dir;
    int ComNumber = 0;
    int Master = -1;
    int SlaveFd = -1;
    std::string Slave;
    std::string Link;
};
