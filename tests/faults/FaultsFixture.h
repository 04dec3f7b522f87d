// The running program under faults: the main dialog in its frame on the offscreen platform, in a
// temporary current directory whose ports/Com1 to Com26 all exist (Com1 a real pseudo-terminal,
// the others links to nothing, so that no code ever reaches a real serial port), a clock the test
// moves one second at a time, and a sound player that only records.
#pragma once

#include "tests/support/MainWindowFixture.h"
#include "toolkit/TAffDigital.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace faults {

using testbytes::BlankLines;
using testbytes::Int32At;
using testbytes::LineMessage;
using testbytes::ReadFile;

// Generous: the machines are shared and sanitized builds are slow. A handler that waited on the
// line would take seconds, not milliseconds.
constexpr auto HandlerLimit = std::chrono::milliseconds(1000);

// The line-1 message of a displayed value: nine digits, leading zeros blanked but the last.
inline std::string ValueMessage(int32_t value) {
    std::string digits = std::to_string(value);
    return LineMessage('0', std::string(9 - digits.size(), ' ') + digits);
}

// What "hhmmss" shows for a count of seconds.
inline int32_t Hhmmss(int32_t seconds) {
    return seconds / 3600 * 10000 + seconds / 60 % 60 * 100 + seconds % 60;
}

inline void WriteFile(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RecordBytes(const TSettingsRecord& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// A count-down of one hour on "hhmmss", the board on Com1.
inline TSettingsRecord CountDownRecord() {
    TSettingsRecord record{};
    SetFirstRunValues(record);
    record.functionCode = FunctionCountDown;
    record.displayType = DisplayHhmmss;
    record.startTime = 3600 * 1000;
    return record;
}

// Records the longest time the UI thread went without running its event loop: a 20 ms timer
// that notes the largest gap between two of its firings.
class TUiHeartbeat {
public:
    TUiHeartbeat() {
        Timer.setInterval(20);
        QObject::connect(&Timer, &QTimer::timeout,
                         [this] { Longest = std::max(Longest, Since.restart()); });
        Since.start();
        Timer.start();
    }
    std::chrono::milliseconds LongestGap() const { return std::chrono::milliseconds(Longest); }

private:
    QTimer Timer;
    QElapsedTimer Since;
    qint64 Longest = 0;
};

class ProgramUnderFaults : public mainwindow::TProgramFixture {
protected:
    ProgramUnderFaults() {
        SplashMs = 0;
        // Every port the list offers resolves inside this directory.
        for (int com = 2; com <= 26; ++com)
            std::filesystem::create_symlink("/nonexistent/kadrant-port",
                                            "ports/Com" + std::to_string(com));
    }

    void Click(int id) { Dialog->Command(TNotify::Clicked, id); }

    // RESET then START, as the user presses them.
    void StartCountDown() {
        Click(IdReset);
        Click(IdStart);
    }

    // One more second on the tick counter, and the timer tick that counts it; returns how long
    // the tick held the UI thread.
    std::chrono::steady_clock::duration Second() {
        Clock.tick += 1000;
        const auto begin = std::chrono::steady_clock::now();
        Dialog->Timing().OnTimerTick();
        return std::chrono::steady_clock::now() - begin;
    }

    int32_t Shown() const { return Dialog->DigitalDisplay()->Value(); }

    // Replaces the pseudo-terminal behind ports/Com1 by a fresh one.
    void NewCom1() {
        Com1.reset();
        Com1.emplace(1);
    }

    std::optional<testline::TPtyLine>& Com1 = Com1Line;
};

} // namespace faults
