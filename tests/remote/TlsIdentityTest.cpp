// The bridge's certificate: made once with its key kept private, kept while it fits, made again
// when the computer's names change, its end nears or its key was exposed; and the certificate the
// bridge serves is the one whose fingerprint it prints.
#include "control/RemoteCommand.h"
#include "tests/remote/RemoteHttp.h"
#include "tests/support/FakeKadrantPeer.h"
#include "tools/remote/TRemoteServer.h"
#include "tools/remote/TTlsIdentity.h"

#include <fcntl.h>
#include <filesystem>
#include <gnutls/gnutls.h>
#include <gnutls/x509.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

class TlsIdentity : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrant-tls-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Dir = pattern;
        DirFd = open(pattern, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    void TearDown() override {
        close(DirFd);
        std::filesystem::remove_all(Dir);
    }
    TIdentityOrigin Load(const std::vector<std::string>& names, TTlsIdentity& identity,
                         std::chrono::system_clock::time_point now = Now) {
        TIdentityOrigin origin = TIdentityOrigin::Kept;
        std::string error;
        EXPECT_TRUE(LoadOrMakeTlsIdentity(DirFd, names, identity, origin, error, now)) << error;
        return origin;
    }
    unsigned Mode(const char* name) const {
        struct stat info {};
        stat((Dir + "/" + name).c_str(), &info);
        return info.st_mode & 0777;
    }

    static inline const auto Now = std::chrono::system_clock::now();
    const std::vector<std::string> Names{"192.168.1.20", "127.0.0.1", "scorer"};
    std::string Dir;
    int DirFd = -1;
};

TEST_F(TlsIdentity, MadeOnceKeptPrivateAndMadeAgainWhenItNoLongerFits) {
    TTlsIdentity first, again;
    EXPECT_EQ(Load(Names, first), TIdentityOrigin::Made);
    EXPECT_EQ(Mode(TlsKeyFile), 0600u);
    EXPECT_EQ(first.Fingerprint.size(), 32u * 3 - 1);
    EXPECT_EQ(Load(Names, again), TIdentityOrigin::Kept);
    EXPECT_EQ(again.Fingerprint, first.Fingerprint);

    struct TChange {
        const char* Why;
        std::vector<std::string> Names;
        std::chrono::system_clock::time_point Now;
        unsigned KeyMode;
    };
    for (const TChange& change :
         {TChange{"another address", {"192.168.1.21", "127.0.0.1", "scorer"}, Now, 0600},
          TChange{"near its end", {"192.168.1.21", "127.0.0.1", "scorer"}, Now + 24h * 380, 0600},
          TChange{"key readable by others", {"192.168.1.21", "127.0.0.1", "scorer"}, Now, 0640}}) {
        chmod((Dir + "/" + TlsKeyFile).c_str(), change.KeyMode);
        TTlsIdentity renewed;
        EXPECT_EQ(Load(change.Names, renewed, change.Now), TIdentityOrigin::Renewed) << change.Why;
        EXPECT_NE(renewed.Fingerprint, first.Fingerprint) << change.Why;
        EXPECT_EQ(Mode(TlsKeyFile), 0600u) << change.Why;
        first = renewed;
    }
}

// The certificate a TLS client is shown, as the bridge prints fingerprints.
std::string ServedFingerprint(int port) {
    TRawHttp connection(port);
    gnutls_certificate_credentials_t credentials = nullptr;
    gnutls_session_t session = nullptr;
    gnutls_certificate_allocate_credentials(&credentials);
    gnutls_init(&session, GNUTLS_CLIENT);
    gnutls_set_default_priority(session);
    gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials);
    gnutls_transport_set_int(session, connection.Socket());
    gnutls_handshake_set_timeout(session, 5000);
    std::string fingerprint;
    unsigned count = 0;
    if (gnutls_handshake(session) == 0) {
        const gnutls_datum_t* chain = gnutls_certificate_get_peers(session, &count);
        unsigned char digest[32];
        std::size_t size = sizeof digest;
        if (count > 0 && gnutls_fingerprint(GNUTLS_DIG_SHA256, &chain[0], digest, &size) == 0)
            for (std::size_t i = 0; i < size; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : ":%02X", digest[i]);
                fingerprint += hex;
            }
        gnutls_bye(session, GNUTLS_SHUT_WR);
    }
    gnutls_deinit(session);
    gnutls_certificate_free_credentials(credentials);
    return fingerprint;
}

TEST_F(TlsIdentity, TheServedCertificateIsThePrintedOneAndPlainHttpGetsNoPage) {
    TTlsIdentity identity;
    Load(Names, identity);
    TFakeKadrantPeer peer(Dir + "/" + ControlSocketName);
    ASSERT_TRUE(peer.Start());
    TRemoteServerConfig config;
    config.SocketPath = Dir + "/" + ControlSocketName;
    config.Token = "00112233445566778899aabbccddeeff";
    config.ViewToken = "ffeeddccbbaa99887766554433221100";
    TRemoteServer server(config);
    server.SetCertificate(identity.CertificatePem, identity.KeyPem);
    int port = server.Bind("127.0.0.1", 0, true);
    ASSERT_GT(port, 0);
    ASSERT_TRUE(server.Start());

    EXPECT_EQ(ServedFingerprint(port), identity.Fingerprint);
    TRawHttp plain(port);
    ASSERT_TRUE(plain.Send("GET / HTTP/1.1\r\nHost: a\r\n\r\n"));
    EXPECT_TRUE(plain.ClosedWithin(3000));
    EXPECT_EQ(plain.All().find("<html"), std::string::npos);
}

} // namespace
