// The board's end of a benchmark: a pseudo-terminal whose slave is linked as ports/Com1 in the
// current directory, so that a driver set up for port 1 writes to it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

class TBenchLine {
public:
    TBenchLine() {
        Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0) {
            std::perror("posix_openpt");
            std::exit(1);
        }
        Slave = open(ptsname(Master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        std::filesystem::create_directory("ports");
        std::filesystem::remove("ports/Com1");
        std::filesystem::create_symlink(ptsname(Master), "ports/Com1");
    }
    ~TBenchLine() {
        std::filesystem::remove("ports/Com1");
        close(Slave);
        close(Master);
    }
    TBenchLine(const TBenchLine&) = delete;
    TBenchLine& operator=(const TBenchLine&) = delete;

    int Master = -1; // what the board reads
    int Slave = -1;  // kept open so the line can be stalled with tcflow
};
