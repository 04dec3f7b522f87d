// kadrant-boardsim: stands in for the display board on a pseudo-terminal linked as ports/ComN,
// and reads its own logs back for a look at what a board was sent.
//   kadrant-boardsim [--port N] [--dir D] [--log FILE] [--headless]
//                    [--unplug-after S --replug-after S]...   (or the key U in the window)
//   kadrant-boardsim --fullscreen [--screen N] [--lines 1|9] [--port N] [--dir D] [--log FILE]
//   kadrant-boardsim --print FILE [--full]
//   kadrant-boardsim --replay FILE [--speed X] [--headless]
#include "tools/boardsim/TBoardLiveFeed.h"
#include "tools/boardsim/TBoardLogPrinter.h"
#include "tools/boardsim/TBoardLogSummary.h"
#include "tools/boardsim/TBoardReplay.h"
#include "tools/boardsim/TBoardReplayFeed.h"
#include "tools/boardsim/TBoardSession.h"
#include "tools/boardsim/TBoardWindow.h"
#include "tools/boardsim/TPtyPort.h"
#include "tools/boardsim/TTvBoardWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace {

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

void Usage() {
    std::fprintf(stderr,
                 "usage: kadrant-boardsim [--port N (1-26)] [--dir D] [--log FILE] [--headless]\n"
                 "       kadrant-boardsim --fullscreen [--screen N] [--lines 1|9] [--port N]"
                 " [--dir D] [--log FILE]\n"
                 "                        [--unplug-after S --replug-after S]...\n"
                 "       kadrant-boardsim --print FILE [--full]\n"
                 "       kadrant-boardsim --replay FILE [--speed X] [--headless]\n");
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
    return !(options.Mode == TMode::Print && options.Headless);
}

void Print(const TBoardEvent& event) {
    if (event.Valid)
        std::printf("L%d |%s|\n", event.WireLine, event.Text.c_str());
    else
        std::printf("MALFORMED %s |%s|\n", event.Problem.c_str(),
                    TBoardMessageParser::Escape(event.Raw).c_str());
    std::fflush(stdout);
}

// Unplugs or plugs the port back in and says so, with the monotonic time in milliseconds.
bool TogglePlug(TPtyPort& port, int portNumber) {
    std::string error;
    if (port.IsPlugged()) {
        port.Unplug();
        std::printf("kadrant-boardsim: %lld Com%d unplugged\n", TBoardLog::MonotonicMs(),
                    portNumber);
    } else if (port.Replug(error)) {
        std::printf("kadrant-boardsim: %lld Com%d plugged back in: %s -> %s\n",
                    TBoardLog::MonotonicMs(), portNumber, port.LinkPath().c_str(),
                    port.SlavePath().c_str());
    } else {
        std::fprintf(stderr, "kadrant-boardsim: %s\n", error.c_str());
        return false;
    }
    std::fflush(stdout);
    return true;
}

int RunHeadless(TBoardSession& session, TPtyPort& port, const TOptions& options) {
    size_t step = 0;
    long long nextStepMs =
        options.PlugSteps.empty()
            ? -1
            : TBoardLog::MonotonicMs() + std::llround(options.PlugSteps[0].Seconds * 1000);
    for (;;) {
        long long now = TBoardLog::MonotonicMs();
        if (nextStepMs >= 0 && now >= nextStepMs) {
            if (!TogglePlug(port, options.Port))
                return 1;
            nextStepMs = ++step < options.PlugSteps.size()
                             ? now + std::llround(options.PlugSteps[step].Seconds * 1000)
                             : -1;
        }
        int wait =
            nextStepMs >= 0 ? static_cast<int>(std::clamp(nextStepMs - now, 0LL, 200LL)) : 200;
        // Unplugged: nothing to read until the next step.
        pollfd p{port.MasterFd(), POLLIN, 0};
        int ready = port.IsPlugged() ? poll(&p, 1, wait) : poll(nullptr, 0, wait);
        now = TBoardLog::MonotonicMs();
        std::vector<TBoardEvent> events;
        if (ready > 0 && !session.ReadFrom(port.MasterFd(), events, now))
            return 1;
        for (const TBoardEvent& event : session.Idle(now))
            events.push_back(event);
        for (const TBoardEvent& event : events)
            Print(event);
    }
}

// The live window's cable: the feed follows the port through unplugs and replugs, by the
// schedule of the command line or the key U.
class TPlugSwitch : public QObject {
public:
    TPlugSwitch(TBoardSession& session, TPtyPort& port, TBoardWindow& window,
                const TOptions& options)
        : Session(session), Port(port), Window(window), Options(options) {
        Feed = new TBoardLiveFeed(Session, Port.MasterFd(), Window, &Window);
        Window.installEventFilter(this);
        ScheduleNext();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_U) {
            Toggle();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void ScheduleNext() {
        if (Step < Options.PlugSteps.size())
            QTimer::singleShot(std::llround(Options.PlugSteps[Step].Seconds * 1000), this, [this] {
                ++Step;
                Toggle();
                ScheduleNext();
            });
    }
    void Toggle() {
        delete Feed; // its notifier watches the master about to go
        Feed = nullptr;
        if (!TogglePlug(Port, Options.Port))
            return;
        if (Port.IsPlugged()) {
            Feed = new TBoardLiveFeed(Session, Port.MasterFd(), Window, &Window);
            Window.SetNote(QString());
        } else {
            Window.SetNote(QStringLiteral("unplugged"));
        }
    }

    TBoardSession& Session;
    TPtyPort& Port;
    TBoardWindow& Window;
    const TOptions& Options;
    TBoardLiveFeed* Feed = nullptr;
    size_t Step = 0;
};

int RunLive(int argc, char** argv, const TOptions& options) {
    TBoardSession session;
    if (!options.LogPath.empty() && !session.Log.Open(options.LogPath)) {
        std::fprintf(stderr, "kadrant-boardsim: cannot open log %s: %s\n", options.LogPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    TPtyPort port;
    std::string error;
    if (!port.Create(options.Dir, options.Port, error)) {
        std::fprintf(stderr, "kadrant-boardsim: %s\n", error.c_str());
        return 1;
    }
    port.RemoveLinkOnSignals();
    std::printf("kadrant-boardsim: Com%d is %s -> %s\n", options.Port, port.LinkPath().c_str(),
                port.SlavePath().c_str());
    std::fflush(stdout);

    if (options.Headless)
        return RunHeadless(session, port, options);

    QApplication app(argc, argv);
    if (options.Fullscreen) {
        TTvBoardWindow tv(session.Board, options.TvLines, options.Screen);
        new TBoardLiveFeed(session, port.MasterFd(), tv, &tv);
        tv.Start();
        return app.exec();
    }
    TBoardWindow window(session.Board, QStringLiteral("Com%1").arg(options.Port));
    TPlugSwitch plug(session, port, window, options);
    window.show();
    return app.exec();
}

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
        return RunLive(argc, argv, options);
    return RunFromLog(argc, argv, options);
}
