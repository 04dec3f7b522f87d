// Test support (Linux): a real pseudo-terminal wired in as ports/ComN inside a temporary working
// directory, with the test holding both ends (the master as the board, the slave to stall the
// line or check its settings).
#pragma once

#include "tests/support/WaitFor.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace testline {

// Makes a fresh directory the current one for the test's lifetime: ports/ is looked up there.
class TTempWorkDir {
public:
    TTempWorkDir() {
        char pattern[] = "/tmp/kadrant-line-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("mkdtemp");
        Path = pattern;
        char old[PATH_MAX];
        if (!getcwd(old, sizeof old))
            throw std::runtime_error("getcwd");
        Previous = old;
        std::filesystem::create_directory(Path / "ports");
        std::filesystem::current_path(Path);
    }
    ~TTempWorkDir() {
        std::error_code ignored;
        std::filesystem::current_path(Previous, ignored);
        std::filesystem::remove_all(Path, ignored);
    }
    std::filesystem::path Path;
    std::filesystem::path Previous;
};

class TPtyLine {
public:
    // Links ports/Com<comNumber> in the current directory to a new pseudo-terminal.
    explicit TPtyLine(int comNumber) {
        Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0)
            throw std::runtime_error("posix_openpt");
        SlavePath = ptsname(Master);
        Slave = open(SlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Slave < 0)
            throw std::runtime_error("open slave");
        LinkPath = "ports/Com" + std::to_string(comNumber);
        std::filesystem::create_symlink(SlavePath, LinkPath);
    }
    ~TPtyLine() {
        CloseMaster();
        if (Slave >= 0)
            close(Slave);
        std::error_code ignored;
        std::filesystem::remove(LinkPath, ignored);
    }
    void CloseMaster() {
        if (Master >= 0)
            close(Master);
        Master = -1;
    }

    // Everything that arrives until the line has been quiet for quietMs, or until maxMs (scaled)
    // passed. The quiet window is what the caller calls quiet, shorter than any traffic it expects
    // to go on (a running count's seconds), so it is not stretched.
    std::string ReadUntilQuiet(int quietMs = 300, int maxMs = 5000) {
        std::string bytes;
        auto deadline =
            std::chrono::steady_clock::now() + testwait::Scaled(std::chrono::milliseconds(maxMs));
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{Master, POLLIN, 0};
            if (poll(&p, 1, quietMs) <= 0)
                break;
            char chunk[4096];
            ssize_t n = read(Master, chunk, sizeof chunk);
            if (n <= 0)
                break;
            bytes.append(chunk, static_cast<size_t>(n));
        }
        return bytes;
    }

    // Exactly count bytes, or fewer if they do not come within maxMs (scaled).
    std::string ReadBytes(size_t count, int maxMs = 5000) {
        std::string bytes;
        auto deadline =
            std::chrono::steady_clock::now() + testwait::Scaled(std::chrono::milliseconds(maxMs));
        while (bytes.size() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{Master, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            char chunk[4096];
            size_t want = std::min(sizeof chunk, count - bytes.size());
            ssize_t n = read(Master, chunk, want);
            if (n <= 0)
                break;
            bytes.append(chunk, static_cast<size_t>(n));
        }
        return bytes;
    }

    int Master = -1;
    int Slave = -1;
    std::string SlavePath;
    std::string LinkPath;
};

} // namespace testline
