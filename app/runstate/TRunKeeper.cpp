#include "app/runstate/TRunKeeper.h"

#include "app/runstate/TRunFile.h"
#include "app/runstate/TRunResume.h"
#include "app/timing/LocalTime.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

namespace {

void ReportOnStderr(const std::string& line) {
    std::fprintf(stderr, "kadrant: %s\n", line.c_str());
}

std::string LocalDateTime(int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    char text[32] = "";
    if (ToLocalTime(seconds, local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace

TRunKeeper::TRunKeeper(TSettingsRecord& settings, TTimingFunctions& functions, TClock& clock,
                       TWallClock& wall, std::string path, TReport report)
    : Settings(settings), Functions(functions), Clock(clock), Wall(wall), Path(std::move(path)),
      Report(report ? std::move(report) : ReportOnStderr) {}

// The PC clock shows the local time: its tick anchor means nothing.
bool TRunKeeper::CountsByTick() const {
    return Functions.State.running &&
           !(Settings.functionCode == FunctionCountUp && Settings.displayType == DisplayPcClock);
}

TRunState TRunKeeper::Capture(int64_t nowMs) const {
    const TTimingState& timing = Functions.State;
    TRunState state;
    state.savedMs = nowMs;
    CaptureRun(Settings, timing, state);
    // The count's own anchor, carried to the wall clock through one reading of both clocks:
    // the count never reads the wall clock, so a jump of it moves neither the count nor this.
    state.anchorMs = nowMs;
    if (CountsByTick())
        state.anchorMs -= static_cast<uint32_t>(Clock.TickCount() - timing.tickAnchor);
    return state;
}

TRunState TRunKeeper::KeyOf(TRunState state) const {
    state.savedMs = 0;
    state.anchorMs = CountsByTick() ? Functions.State.tickAnchor : 0;
    return state;
}

void TRunKeeper::Write(const TRunState& state) {
    if (ReplaceWholeFile(Path, FormatRunState(state))) {
        LastKey = KeyOf(state);
        Written = true;
        Failing = false;
        return;
    }
    if (!Failing)
        Report("the run cannot be kept in " + Path + " (" + std::strerror(errno) +
               "): the count goes on, but a crash now would lose it");
    Failing = true;
}

void TRunKeeper::Changed() {
    if (!Active)
        return;
    const TRunState state = Capture(Wall.NowMs());
    if (!Written || !(KeyOf(state) == LastKey))
        Write(state);
}

void TRunKeeper::CloseCleanly() {
    if (!Active)
        return; // closed before the set-up: a file left by a crash is still to be taken back
    TRunState state = Capture(Wall.NowMs());
    state.clean = true;
    Write(state);
}

bool TRunKeeper::TakeOver() {
    Active = true;
    std::string text;
    TRunState saved;
    const TFileRead read = ReadWholeFile(Path, text);
    if (read == TFileRead::Missing)
        return false;
    if (read == TFileRead::Failed || !ParseRunState(text, saved)) {
        Report(Path + " ignored (damaged): an ordinary start");
        return false;
    }
    const int64_t now = Wall.NowMs();
    const TRunVerdict verdict = JudgeRunState(saved, Settings.functionCode, now);
    if (verdict == TRunVerdict::Clean)
        return false;
    if (verdict != TRunVerdict::Resume) {
        Report(Path + " ignored (" + RunVerdictText(verdict) + "): an ordinary start");
        return false;
    }
    Apply(saved, now);
    return true;
}

void TRunKeeper::Apply(const TRunState& saved, int64_t nowMs) {
    // The function is the record's already (judged so).
    const TResumedRun run = ResumeRun(saved, nowMs);
    ApplyRun(run.run, Settings, Functions.State);
    Functions.ShowTakenBack(run.msIntoSecond);

    const TLocalTime local = Clock.LocalTime();
    char note[64];
    std::snprintf(note, sizeof note, "resumed after an unexpected stop at %02d:%02d:%02d",
                  local.hour, local.minute, local.second);
    Note = note;
    NoteSince = Clock.TickCount();
    Report(std::string(note) + ": the run saved at " + LocalDateTime(saved.savedMs) +
           (run.ranOut ? " reached zero meanwhile and is stopped" : " goes on"));
    Changed(); // the file now holds the run as it stands
}

const std::string& TRunKeeper::TitleNote() {
    if (!Note.empty() && Clock.TickCount() - NoteSince >= NoteMs)
        Note.clear();
    return Note;
}
