// Test support for the simulator's log: a small hand-made log, and writing a file as given.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace boardlogsamples {

// A small event: the clock, two lines, a resend, a malformed message, a long pause, more.
inline const char* const HandMadeLog = "1000 2024-05-01T10:00:00.000 L0 |    10203|\n"
                                       "1250 2024-05-01T10:00:00.250 L1 |A00000005|\n"
                                       "1250 2024-05-01T10:00:00.250 L1 |A00000005|\n"
                                       "2250 2024-05-01T10:00:01.250 MALFORMED missing STX |L0|\n"
                                       "9250 2024-05-01T10:00:08.250 L1 |A00000004|\n"
                                       "9300 2024-05-01T10:00:08.300 L0 |    10211|\n";

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

} // namespace boardlogsamples
