// The simulator's command line, as main.cpp parses it and the live line (BoardSimLive.h) uses it.
#pragma once

#include <string>
#include <vector>

enum class TMode { Live, Print, Replay };

// One step of a pulled-cable schedule: after this many seconds (from the start or the step
// before), unplug or plug back in. Steps alternate, beginning with an unplug.
struct TPlugStep {
    bool Unplug;
    double Seconds;
};

struct TOptions {
    TMode Mode = TMode::Live;
    int Port = 1;
    std::string Dir = ".";
    bool DirGiven = false; // a line made here has a folder to link it in; a COM port has none
    std::string LogPath;
    bool Headless = false;
    std::string ReadPath; // the log to print or replay
    bool Full = false;
    double Speed = 1.0;
    bool LiveOnly = false; // --port, --dir or --log given: they need the line
    bool ReplayOnly = false;
    bool Fullscreen = false; // the board on a TV: --fullscreen, --screen, --lines
    int Screen = 0;          // 1-based; 0: the second screen if any, else the first
    int TvLines = 1;
    bool TvOnly = false;
    std::vector<TPlugStep> PlugSteps;
};
