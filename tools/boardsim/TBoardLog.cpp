#include "tools/boardsim/TBoardLog.h"

#include <chrono>
#include <ctime>

TBoardLog::~TBoardLog() {
    if (File)
        std::fclose(File);
}

bool TBoardLog::Open(const std::string& path) {
    // Binary: the lines end in LF alone on every platform, as the reader expects.
    File = std::fopen(path.c_str(), "ab");
    return File != nullptr;
}

void TBoardLog::Write(const TBoardEvent& event) {
    Write(event, MonotonicMs(), WallClock());
}

void TBoardLog::Write(const TBoardEvent& event, long long monotonicMs,
                      const std::string& wallClock) {
    if (!File)
        return;
    std::string line = Format(event, monotonicMs, wallClock);
    std::fputs(line.c_str(), File);
    std::fflush(File);
}

std::string TBoardLog::Format(const TBoardEvent& event, long long monotonicMs,
                              const std::string& wallClock) {
    std::string head = std::to_string(monotonicMs) + " " + wallClock + " ";
    if (event.Valid)
        return head + "L" + std::to_string(event.WireLine) + " |" + event.Text + "|\n";
    return head + "MALFORMED " + event.Problem + " |" + TBoardMessageParser::Escape(event.Raw) +
           "|\n";
}

long long TBoardLog::MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string TBoardLog::WallClock() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[48];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    char full[64];
    std::snprintf(full, sizeof full, "%s.%03d", text, ms);
    return full;
}
