// kadrant-boardsim: stands in for the display board on a pseudo-terminal linked as ports/ComN
// (on Windows: on a COM port, see BoardSimLive.h), and reads its own logs back for a look at what
// a board was sent.
//   kadrant-boardsim [--port N] [--dir D] [--log FILE] [--headless]
//                    [--unplug-after S --replug-after S]...   (or the key U in the window)
//   kadrant-boardsim --fullscreen [--screen N] [--lines 1|9] [--port N] [--dir D] [--log FILE]
//   kadrant-boardsim --print FILE [--full]
//   kadrant-boardsim --replay FILE [--speed X] [--headless]
#include "tools/boardsim/BoardSimLive.h"
#include "tools/boardsim/TBoardLogPrinter.h"
#include "tools/boardsim/TBoardLogSummary.h"
#include "tools/boardsim/TBoardReplay.h"
#include "tools/boardsim/TBoardReplayFeed.h"
#include "tools/boardsim/TBoardWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

void Usage() {
    std::fprintf(stderr,
                 "%s"
                 "       kadrant-boardsim --print FILE [--full]\n"
                 "       kadrant-boardsim --replay FILE [--speed X] [--headless]\n",
                 boardsimlive::Usage());
}

bool SetMode(TOptions& options, TMode mode, const char* path) {
    if (options.Mode != TMode::Live)
        return false;
    options.Mode = mode;
    options.ReadPath = path;
    return true;
}

bool ParseOptions(int argc, char** argv, TOptions& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--port" && hasValue) {
            char* end = nullptr;
            long port = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || port < 1 || port > 26)
                return false;
            options.Port = static_cast<int>(port);
            options.LiveOnly = true;
        } else if (arg == "--dir" && hasValue) {
            options.Dir = argv[++i];
            options.DirGiven = true;
            options.LiveOnly = true;
        } else if (arg == "--log" && hasValue) {
            options.LogPath = argv[++i];
            options.LiveOnly = true;
        } else if ((arg == "--unplug-after" || arg == "--replug-after") && hasValue) {
            const bool unplug = arg == "--unplug-after";
            char* end = nullptr;
            const double seconds = std::strtod(argv[++i], &end);
            if (*end != '\0' || !std::isfinite(seconds) || seconds < 0 ||
                unplug != (options.PlugSteps.size() % 2 == 0))
                return false;
            options.PlugSteps.push_back({unplug, seconds});
            options.LiveOnly = true;
        } else if (arg == "--headless") {
            options.Headless = true;
        } else if (arg == "--print" && hasValue) {
            if (!SetMode(options, TMode::Print, argv[++i]))
                return false;
        } else if (arg == "--replay" && hasValue) {
            if (!SetMode(options, TMode::Replay, argv[++i]))
                return false;
        } else if (arg == "--full") {
            options.Full = true;
        } else if (arg == "--speed" && hasValue) {
            char* end = nullptr;
            options.Speed = std::strtod(argv[++i], &end);
            if (*end != '\0' || !std::isfinite(options.Speed) || options.Speed <= 0)
                return false;
            options.ReplayOnly = true;
        } else if (arg == "--fullscreen") {
            options.Fullscreen = true;
        } else if (arg == "--screen" && hasValue) {
            char* end = nullptr;
            long screen = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || screen < 1 || screen > 16)
                return false;
            options.Screen = static_cast<int>(screen);
            options.TvOnly = true;
        } else if (arg == "--lines" && hasValue) {
            std::string lines = argv[++i];
            if (lines != "1" && lines != "9")
                return false;
            options.TvLines = lines == "1" ? 1 : 9;
            options.TvOnly = true;
        } else {
            return false;
        }
    }
    if (options.TvOnly && !options.Fullscreen)
        return false;
    // The TV has nobody to unplug it for: the plug schedule is the test window's.
    if (options.Fullscreen &&
        (options.Mode != TMode::Live || options.Headless || !options.PlugSteps.empty()))
        return false;
    if (options.Mode != TMode::Live && options.LiveOnly)
        return false;
    if (options.Full && options.Mode != TMode::Print)
        return false;
    if (options.ReplayOnly && options.Mode != TMode::Replay)
        return false;
    if (options.Mode == TMode::Print && options.Headless)
        return false;
    return boardsimlive::Fits(options);
}

} // namespace

void boardsimlive::Print(const TBoardEvent& event) {
    if (event.Valid)
        std::printf("L%d |%s|\n", event.WireLine, event.Text.c_str());
    else
        std::printf("MALFORMED %s |%s|\n", event.Problem.c_str(),
                    TBoardMessageParser::Escape(event.Raw).c_str());
    std::fflush(stdout);
}

namespace {

int MarkedLine(const TLogEntry& entry) {
    return !entry.Damaged && entry.Event.Valid ? entry.Event.WireLine : -1;
}

// Prints each entry as the replay reaches it; `paced` waits the recorded gaps first.
void PrintReplay(TBoardReplay& replay, bool full, bool paced) {
    while (!replay.Done()) {
        if (paced)
            std::this_thread::sleep_for(std::chrono::milliseconds(replay.DelayMs()));
        const TLogEntry& entry = replay.Step();
        std::string text = TBoardLogPrinter::Row(entry, replay.LastChanged());
        if (full && !entry.Damaged)
            text += TBoardLogPrinter::Board(replay.Board, MarkedLine(entry)) + "\n";
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    }
}

int RunFromLog(int argc, char** argv, const TOptions& options) {
    std::vector<TLogEntry> entries;
    std::string error;
    if (!TBoardLogReader::ReadFile(options.ReadPath, entries, error)) {
        std::fprintf(stderr, "kadrant-boardsim: cannot read %s: %s\n", options.ReadPath.c_str(),
                     error.c_str());
        return 2;
    }
    TBoardReplay replay(entries, options.Speed);
    std::string summary = TBoardLogSummary::Of(entries).Text();
    if (options.Mode == TMode::Print) {
        PrintReplay(replay, options.Full, false);
        std::printf("\n%s", summary.c_str());
        return 0;
    }
    if (options.Headless) {
        PrintReplay(replay, false, true);
        std::printf("\nfinal board:\n%s\n%s",
                    TBoardLogPrinter::Board(replay.Board, replay.Board.LastLine()).c_str(),
                    summary.c_str());
        return 0;
    }
    QApplication app(argc, argv);
    QString name = QFileInfo(QString::fromStdString(options.ReadPath)).fileName();
    TBoardWindow window(replay.Board, QStringLiteral("replay"));
    window.setWindowTitle(QStringLiteral("Board simulator - replay of %1").arg(name));
    TBoardReplayFeed* feed = new TBoardReplayFeed(replay, window);
    window.show();
    feed->Start();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    if (options.Mode == TMode::Live)
        return boardsimlive::Run(argc, argv, options);
    return RunFromLog(argc, argv, options);
}
