// kadrant-boardsim: stands in for the display board on a pseudo-terminal linked as ports/ComN.
//   kadrant-boardsim [--port N] [--dir D] [--log FILE] [--headless]
#include "tools/boardsim/TBoardSession.h"
#include "tools/boardsim/TBoardWindow.h"
#include "tools/boardsim/TPtyPort.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>

namespace {

struct TOptions {
    int Port = 1;
    std::string Dir = ".";
    std::string LogPath;
    bool Headless = false;
};

void Usage() {
    std::fprintf(stderr, "usage: kadrant-boardsim [--port N (1-26)] [--dir D] [--log FILE] "
                         "[--headless]\n");
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
        } else if (arg == "--dir" && hasValue) {
            options.Dir = argv[++i];
        } else if (arg == "--log" && hasValue) {
            options.LogPath = argv[++i];
        } else if (arg == "--headless") {
            options.Headless = true;
        } else {
            return false;
        }
    }
    return true;
}

void Print(const TBoardEvent& event) {
    if (event.Valid)
        std::printf("L%d |%s|\n", event.WireLine, event.Text.c_str());
    else
        std::printf("MALFORMED %s |%s|\n", event.Problem.c_str(),
                    TBoardMessageParser::Escape(event.Raw).c_str());
    std::fflush(stdout);
}

int RunHeadless(TBoardSession& session, int masterFd) {
    for (;;) {
        pollfd p{masterFd, POLLIN, 0};
        int ready = poll(&p, 1, 200);
        long long now = TBoardLog::MonotonicMs();
        std::vector<TBoardEvent> events;
        if (ready > 0 && !session.ReadFrom(masterFd, events, now))
            return 1;
        for (const TBoardEvent& event : session.Idle(now))
            events.push_back(event);
        for (const TBoardEvent& event : events)
            Print(event);
    }
}

} // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
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
        return RunHeadless(session, port.MasterFd());

    QApplication app(argc, argv);
    TBoardWindow window(session, port.MasterFd(), QStringLiteral("Com%1").arg(options.Port));
    window.show();
    return app.exec();
}
