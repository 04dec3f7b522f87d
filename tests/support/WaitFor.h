// Waiting, bounded, for something another thread or process does; and a log read back by lines.
// Every bound here is a plain build's: it stretches by KADRANT_TIME_SCALE (from kadrant_add_gtest),
// as much as this build runs slower, so that a sanitizer build waits long enough too.
#pragma once

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#ifndef KADRANT_TIME_SCALE
#error "KADRANT_TIME_SCALE comes with kadrant_add_gtest (cmake/KadrantTesting.cmake)"
#endif

namespace testwait {

// A plain build's real-time bound, stretched for this build.
constexpr std::chrono::milliseconds Scaled(std::chrono::milliseconds plain) {
    return plain * KADRANT_TIME_SCALE;
}
constexpr int ScaledMs(int plainMs) {
    return plainMs * KADRANT_TIME_SCALE;
}

inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + Scaled(limit);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::vector<std::string> LinesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace testwait
