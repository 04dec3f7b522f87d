// The live line on Linux: a pseudo-terminal made here and linked as <dir>/ports/ComN, read when
// poll (headless) or the feed's notifier (window) says it has bytes, and unplugged and plugged
// back in by the schedule of the command line or the key U.
#include "tools/boardsim/BoardSimLive.h"
#include "tools/boardsim/TBoardLiveFeed.h"
#include "tools/boardsim/TBoardSession.h"
#include "tools/boardsim/TBoardWindow.h"
#include "tools/boardsim/TPtyPort.h"
#include "tools/boardsim/TTvBoardWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <vector>

const char* boardsimlive::Usage() {
    return "usage: kadrant-boardsim [--port N (1-26)] [--dir D] [--log FILE] [--headless]\n"
           "       kadrant-boardsim --fullscreen [--screen N] [--lines 1|9] [--port N]"
           " [--dir D] [--log FILE]\n"
           "                        [--unplug-after S --replug-after S]...\n";
}

bool boardsimlive::Fits(const TOptions&) {
    return true;
}

namespace {

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
        if (ready > 0 && !TPtyPort::ReadInto(port.MasterFd(), session, events, now))
            return 1;
        for (const TBoardEvent& event : session.Idle(now))
            events.push_back(event);
        for (const TBoardEvent& event : events)
            boardsimlive::Print(event);
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

} // namespace

int boardsimlive::Run(int argc, char** argv, const TOptions& options) {
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
