// kadrant-remote: the opt-in bridge between Kadrant's control socket and phones, Stream Decks
// and scripts on the local network.
#include "control/RemoteCommand.h"
#include "tools/remote/TOwnDirectory.h"
#include "tools/remote/TPairingNotice.h"
#include "tools/remote/TRemoteOptions.h"
#include "tools/remote/TRemoteServer.h"
#include "tools/remote/TRemoteToken.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    TRemoteOptions defaults;
    defaults.Dir = DefaultRemoteDir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    TRemoteOptions options;
    std::string error;
    if (!ParseRemoteArgs(std::vector<std::string>(argv + 1, argv + argc), defaults, options,
                         error)) {
        std::fprintf(stderr, "kadrant-remote: %s\n%s", error.c_str(), RemoteUsage());
        return 2;
    }
    if (options.Help) {
        std::fputs(RemoteUsage(), stdout);
        return 0;
    }

    // The signals are taken before any thread starts, so that every thread inherits the mask and
    // only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // The bridge may start before Kadrant ever ran for this user: the directory is made as the
    // launcher would, so that the token has a home and the socket can appear there later.
    int dir = OpenOwnDirectory(options.Dir, error);
    if (dir < 0) {
        std::fprintf(stderr, "kadrant-remote: %s\n", error.c_str());
        return 1;
    }
    std::string token;
    TTokenOrigin origin = TTokenOrigin::Kept;
    bool loaded = TRemoteToken::LoadOrCreate(dir, "remote-token", token, origin, error);
    close(dir);
    if (!loaded) {
        std::fprintf(stderr, "kadrant-remote: pairing token: %s\n", error.c_str());
        return 1;
    }
    if (origin == TTokenOrigin::Exposed)
        std::fprintf(stderr,
                     "kadrant-remote: %s/remote-token was readable by other users: replaced by a "
                     "new token; devices paired before must scan the new code\n",
                     options.Dir.c_str());

    TRemoteServerConfig config;
    config.SocketPath = options.Dir + "/" + ControlSocketName;
    config.Token = token;
    TRemoteServer server(config);
    int port = server.Bind(options.Host, options.Port);
    if (port < 0) {
        std::fprintf(stderr,
                     "kadrant-remote: cannot listen on %s:%d (in use, or not an address "
                     "of this computer)\n",
                     options.Host.c_str(), options.Port);
        return 1;
    }
    if (!server.Start()) {
        std::fprintf(stderr, "kadrant-remote: cannot start\n");
        return 1;
    }

    std::printf("kadrant-remote: Kadrant's socket %s\n", config.SocketPath.c_str());
    std::printf("kadrant-remote: %s pairing token in %s/remote-token\n",
                origin == TTokenOrigin::Kept ? "existing" : "new", options.Dir.c_str());
    std::vector<std::string> hosts = PageHosts(options.Host, LocalAddresses());
    std::printf("Open on the phone (or scan the code):\n");
    for (const std::string& host : hosts)
        std::printf("  %s\n", PageUrl(host, port, token).c_str());
    std::printf("Stream Deck / scripts: POST or GET %s/api/start|stop|reset|plus|minus\n"
                "  with ?token=%s or the header \"Authorization: Bearer %s\"\n",
                ("http://" + hosts.front() + ":" + std::to_string(port)).c_str(), token.c_str(),
                token.c_str());
    std::fputs(TerminalQrCode(PageUrl(hosts.front(), port, token)).c_str(), stdout);
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    std::printf("kadrant-remote: stopped\n");
    return 0;
}
