// kadrant-remote: the opt-in bridge between Kadrant's control socket and phones, Stream Decks
// and scripts on the local network.
#include "tools/remote/StopSignal.h"
#include "tools/remote/TControlLink.h"
#include "tools/remote/TOwnDirectory.h"
#include "tools/remote/TPairingNotice.h"
#include "tools/remote/TRemoteOptions.h"
#include "tools/remote/TRemoteServer.h"
#include "tools/remote/TRemoteToken.h"
#include "tools/remote/TTlsIdentity.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// One token file in the directory; false (the reason printed) when it cannot be used.
bool LoadToken(int dir, const std::string& dirName, const char* name, const char* consequence,
               std::string& token, TTokenOrigin& origin) {
    std::string error;
    if (!TRemoteToken::LoadOrCreate(dir, name, token, origin, error)) {
        std::fprintf(stderr, "kadrant-remote: %s: %s\n", name, error.c_str());
        return false;
    }
    if (origin == TTokenOrigin::Exposed)
        std::fprintf(stderr,
                     "kadrant-remote: %s/%s was readable by other users: replaced by a new "
                     "token; %s\n",
                     dirName.c_str(), name, consequence);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const TRemoteOptions defaults = RemoteDefaults();
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

    CatchStopSignals();

    // The bridge may start before Kadrant ever ran for this user: the directory is made as the
    // launcher would, so that the token has a home and the socket can appear there later.
    int dir = OpenOwnDirectory(options.Dir, error);
    if (dir < 0) {
        std::fprintf(stderr, "kadrant-remote: %s\n", error.c_str());
        return 1;
    }
    std::string token, viewToken;
    TTokenOrigin origin = TTokenOrigin::Kept, viewOrigin = TTokenOrigin::Kept;
    bool loaded =
        LoadToken(dir, options.Dir, "remote-token",
                  "devices paired before must scan "
                  "the new code",
                  token, origin) &&
        LoadToken(dir, options.Dir, "remote-view-token",
                  "view links given out before must be given again", viewToken, viewOrigin);
    std::vector<std::string> hosts = PageHosts(options.Host, LocalAddresses());
    // On the network the traffic is encrypted; plain HTTP only where no one else can see it,
    // unless this build has no TLS and the operator asked for the network all the same.
    bool tls = !PlainAllowed(options.Host) && TlsSupported();
    if (!PlainAllowed(options.Host) && !tls)
        std::fprintf(stderr,
                     "kadrant-remote: WARNING: this build has no TLS. On %s everything goes over "
                     "the network unencrypted, the pairing token in the links included: anyone "
                     "on that network can read it and take control. Leave out --listen to keep "
                     "the bridge on this computer.\n",
                     options.Host.c_str());
    TTlsIdentity identity;
    TIdentityOrigin identityOrigin = TIdentityOrigin::Kept;
    if (loaded && tls &&
        !LoadOrMakeTlsIdentity(dir, CertificateNames(hosts), identity, identityOrigin, error)) {
        std::fprintf(stderr, "kadrant-remote: %s\n", error.c_str());
        loaded = false;
    }
    close(dir);
    if (!loaded)
        return 1;

    TRemoteServerConfig config;
    config.SocketPath = ControlChannelIn(options.Dir);
    config.Token = token;
    config.ViewToken = viewToken;
    TRemoteServer server(config);
    server.SetCertificate(identity.CertificatePem, identity.KeyPem);
    int port = server.Bind(options.Host, options.Port, tls);
    // This computer's own programs (a stream's overlay, button boxes) keep plain HTTP on loopback,
    // on the next port.
    int localPort = port;
    if (port >= 0 && !PlainAllowed(options.Host))
        localPort = server.Bind("127.0.0.1", options.Port == 0 ? 0 : port + 1, false);
    if (port < 0 || localPort < 0) {
        std::fprintf(stderr,
                     "kadrant-remote: cannot listen on %s:%d (in use, or not an address "
                     "of this computer)\n",
                     port < 0 ? options.Host.c_str() : "127.0.0.1",
                     port < 0 ? options.Port : port + 1);
        return 1;
    }
    if (!server.Start()) {
        std::fprintf(stderr, "kadrant-remote: cannot start\n");
        return 1;
    }

    std::printf("kadrant-remote: Kadrant's %s %s\n", ControlChannelWord, config.SocketPath.c_str());
    std::printf("kadrant-remote: %s pairing token in %s/remote-token\n",
                origin == TTokenOrigin::Kept ? "existing" : "new", options.Dir.c_str());
    if (tls) {
        const char* made = identityOrigin == TIdentityOrigin::Kept   ? "existing"
                           : identityOrigin == TIdentityOrigin::Made ? "new"
                                                                     : "renewed";
        std::printf("kadrant-remote: %s certificate in %s/%s\n"
                    "  SHA-256 fingerprint %s\n"
                    "  key pin (sha256/) %s\n",
                    made, options.Dir.c_str(), TlsCertificateFile, identity.Fingerprint.c_str(),
                    identity.KeyPin.c_str());
        std::printf("kadrant-remote: plain HTTP for this computer only: http://127.0.0.1:%d\n",
                    localPort);
    }
    std::printf("Open on the phone (or scan the code):\n");
    for (const std::string& host : hosts)
        std::printf("  %s\n", PageUrl(host, port, token, "/", tls).c_str());
    std::printf("Stream Deck / scripts: POST or GET %s/api/start|stop|reset|plus|minus\n"
                "  with ?token=%s or the header \"Authorization: Bearer %s\"\n",
                ("http://127.0.0.1:" + std::to_string(localPort)).c_str(), token.c_str(),
                token.c_str());
    std::fputs(TerminalQrCode(PageUrl(hosts.front(), port, token, "/", tls)).c_str(), stdout);
    if (tls)
        std::printf("  certificate fingerprint (the phone shows it in the page's certificate "
                    "details):\n  %s\n",
                    identity.Fingerprint.c_str());

    std::printf("kadrant-remote: %s view token in %s/remote-view-token\n",
                viewOrigin == TTokenOrigin::Kept ? "existing" : "new", options.Dir.c_str());
    std::printf("View only, for a TV, a tablet or a second screen (no button works with it):\n");
    for (const std::string& host : hosts)
        std::printf("  %s\n", PageUrl(host, port, viewToken, "/view", tls).c_str());
    // OBS runs on this computer as a rule: its link is the plain one on loopback.
    std::printf("Overlay for OBS, as a Browser source (?color=red&unlit=off&align=left "
                "before the # changes its look):\n"
                "  %s\n",
                PageUrl("127.0.0.1", localPort, viewToken, "/overlay", false).c_str());
    std::fputs(TerminalQrCode(PageUrl(hosts.front(), port, viewToken, "/view", tls)).c_str(),
               stdout);
    std::fflush(stdout);

    WaitForStopSignal();
    server.Stop();
    std::printf("kadrant-remote: stopped\n");
    return 0;
}
