// Keeps "kadrant.run" in step with the run: written when the run changes (never for a counted
// second), marked clean by a clean close, and read once after the set-up to take back a run that
// ended without one. A state that cannot be kept is said once, and the count goes on.
#pragma once

#include "app/runstate/TRunState.h"
#include "app/runstate/TWallClock.h"
#include "app/timing/TClock.h"
#include "app/timing/TTimingFunctions.h"

#include <functional>
#include <string>

class TRunKeeper {
public:
    // One line for the operator; by default "kadrant: ..." on stderr.
    using TReport = std::function<void(const std::string& line)>;

    // A run taken back is said in the window's title for this long.
    static constexpr uint32_t NoteMs = 60000;

    TRunKeeper(TSettingsRecord& settings, TTimingFunctions& functions, TClock& clock,
               TWallClock& wall, std::string path = RunStateFileName, TReport report = {});

    // After the normal set-up: takes back the run of a file left without a clean close (its
    // settings and timing state, shown for now) and from then on keeps every change. True when
    // a run was taken back.
    bool TakeOver();
    // The run may have changed: written when it differs from what the file holds.
    void Changed();
    // A clean close: the next start is an ordinary one.
    void CloseCleanly();

    // "resumed after an unexpected stop at 14:02:31" for NoteMs after a run was taken back.
    const std::string& TitleNote();

private:
    TRunState Capture(int64_t nowMs) const;
    // The state as compared with the last one written: the count's anchor on the tick counter.
    TRunState KeyOf(TRunState state) const;
    void Write(const TRunState& state);
    void Apply(const TRunState& saved, int64_t nowMs);
    bool CountsByTick() const;

    TSettingsRecord& Settings;
    TTimingFunctions& Functions;
    TClock& Clock;
    TWallClock& Wall;
    std::string Path;
    TReport Report;
    bool Active = false;  // set up: changes are kept
    bool Failing = false; // the last write failed and that was said
    bool Written = false;
    TRunState LastKey;
    std::string Note;
    uint32_t NoteSince = 0;
};
