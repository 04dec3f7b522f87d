// The live line on Windows: an existing COM port, the PC's RS-232 input or one end of a virtual
// null-modem pair with Kadrant on the other. There is nothing to make or link, so no --dir, and
// nothing to unplug from here. The window keeps trying a port that cannot be opened or that goes;
// --headless ends with an error instead, so that a script learns of it at once.
#include "tools/boardsim/BoardSimLive.h"
#include "tools/boardsim/TBoardComFeed.h"
#include "tools/boardsim/TBoardSession.h"
#include "tools/boardsim/TBoardWindow.h"
#include "tools/boardsim/TComPortSource.h"
#include "tools/boardsim/TTvBoardWindow.h"

#include <QApplication>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::chrono::milliseconds QuietCheck(200);

int RunHeadless(TBoardSession& session, const TOptions& options) {
    TComPortSource port(options.Port);
    std::string reason;
    if (port.Open(reason) != TComPortSource::TOpen::Opened) {
        std::fprintf(stderr, "kadrant-boardsim: cannot open Com%d (%s): %s\n", options.Port,
                     port.Path().c_str(), reason.c_str());
        return 1;
    }
    std::printf("kadrant-boardsim: Com%d is %s\n", options.Port, port.Path().c_str());
    std::fflush(stdout);
    for (;;) {
        std::string bytes;
        const TComPortSource::TLine line = port.Take(bytes, QuietCheck);
        const long long now = TBoardLog::MonotonicMs();
        std::vector<TBoardEvent> events;
        if (!bytes.empty())
            events = session.Receive(bytes.data(), bytes.size(), now);
        for (const TBoardEvent& event : session.Idle(now))
            events.push_back(event);
        for (const TBoardEvent& event : events)
            boardsimlive::Print(event);
        if (line == TComPortSource::TLine::Gone) {
            std::fprintf(stderr, "kadrant-boardsim: Com%d (%s) went away\n", options.Port,
                         port.Path().c_str());
            return 1;
        }
    }
}

} // namespace

const char* boardsimlive::Usage() {
    return "usage: kadrant-boardsim [--port N (1-26)] [--log FILE] [--headless]\n"
           "       kadrant-boardsim --fullscreen [--screen N] [--lines 1|9] [--port N]"
           " [--log FILE]\n";
}

bool boardsimlive::Fits(const TOptions& options) {
    return !options.DirGiven && options.PlugSteps.empty();
}

int boardsimlive::Run(int argc, char** argv, const TOptions& options) {
    TBoardSession session;
    if (!options.LogPath.empty() && !session.Log.Open(options.LogPath)) {
        std::fprintf(stderr, "kadrant-boardsim: cannot open log %s: %s\n", options.LogPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (options.Headless)
        return RunHeadless(session, options);

    QApplication app(argc, argv);
    if (options.Fullscreen) {
        TTvBoardWindow tv(session.Board, options.TvLines, options.Screen);
        new TBoardComFeed(session, options.Port, tv, &tv);
        tv.Start();
        return app.exec();
    }
    TBoardWindow window(session.Board, QStringLiteral("Com%1").arg(options.Port));
    new TBoardComFeed(session, options.Port, window, &window);
    window.show();
    return app.exec();
}
