// The bridge's command line and the pieces of its start-up notice.
#include "tools/remote/TPairingNotice.h"
#include "tools/remote/TRemoteOptions.h"

#include <gtest/gtest.h>

namespace {

struct TArgsCase {
    std::vector<std::string> Args;
    bool Ok;
    std::string Dir, Host;
    int Port;
    std::string ErrorPart;
};

void PrintTo(const TArgsCase& c, std::ostream* os) {
    for (const std::string& a : c.Args)
        *os << "[" << a << "]";
}

class RemoteArgs : public testing::TestWithParam<TArgsCase> {};

TEST_P(RemoteArgs, ParsesOrRefusesWithAReason) {
    const TArgsCase& c = GetParam();
    TRemoteOptions defaults;
    defaults.Dir = "/home/op/.local/share/kadrant";
    TRemoteOptions out;
    out.Dir = "untouched";
    std::string error;
    ASSERT_EQ(ParseRemoteArgs(c.Args, defaults, out, error), c.Ok) << error;
    if (c.Ok) {
        EXPECT_EQ(out.Dir, c.Dir);
        EXPECT_EQ(out.Host, c.Host);
        EXPECT_EQ(out.Port, c.Port);
    } else {
        EXPECT_NE(error.find(c.ErrorPart), std::string::npos) << error;
        EXPECT_EQ(out.Dir, "untouched") << "a refused command line must not half-apply";
    }
}

const std::string Home = "/home/op/.local/share/kadrant";

INSTANTIATE_TEST_SUITE_P(
    Table, RemoteArgs,
    testing::Values(
        TArgsCase{{}, true, Home, "0.0.0.0", 8960, ""},
        TArgsCase{{"--dir", "/srv/pool"}, true, "/srv/pool", "0.0.0.0", 8960, ""},
        TArgsCase{{"--listen", "127.0.0.1:8960"}, true, Home, "127.0.0.1", 8960, ""},
        TArgsCase{{"--listen=192.168.1.20:80", "--dir=/d"}, true, "/d", "192.168.1.20", 80, ""},
        TArgsCase{{"--listen", "[::1]:9000"}, true, Home, "::1", 9000, ""},
        TArgsCase{{"--listen", "127.0.0.1:0"}, true, Home, "127.0.0.1", 0, ""},
        TArgsCase{{"--dir", "/a", "--dir", "/b"}, true, "/b", "0.0.0.0", 8960, ""},
        TArgsCase{{"--listen", "127.0.0.1:65536"}, false, "", "", 0, "--listen"},
        TArgsCase{{"--listen", "127.0.0.1:"}, false, "", "", 0, "--listen"},
        TArgsCase{{"--listen", "127.0.0.1:-1"}, false, "", "", 0, "--listen"},
        TArgsCase{{"--listen", "127.0.0.1:8960x"}, false, "", "", 0, "--listen"},
        TArgsCase{{"--listen", "8960"}, false, "", "", 0, "--listen"},
        TArgsCase{{"--listen", "localhost:8960"}, false, "", "", 0, "numeric"},
        TArgsCase{{"--listen", "::1:8960"}, false, "", "", 0, "--listen"},
        TArgsCase{{"--listen", "300.1.1.1:8960"}, false, "", "", 0, "--listen"},
        TArgsCase{{"--listen"}, false, "", "", 0, "needs a value"},
        TArgsCase{{"--dir"}, false, "", "", 0, "needs a value"},
        TArgsCase{{"--dir="}, false, "", "", 0, "--dir"},
        TArgsCase{{"--port", "8960"}, false, "", "", 0, "unknown argument: --port"},
        TArgsCase{{"extra"}, false, "", "", 0, "unknown argument: extra"}));

TEST(RemoteArgs, NoHomeAndNoDirIsRefusedButHelpStillWorks) {
    TRemoteOptions out;
    std::string error;
    EXPECT_FALSE(ParseRemoteArgs({}, TRemoteOptions{}, out, error));
    EXPECT_NE(error.find("--dir"), std::string::npos);
    ASSERT_TRUE(ParseRemoteArgs({"--help"}, TRemoteOptions{}, out, error));
    EXPECT_TRUE(out.Help);
}

TEST(RemoteArgs, DefaultDirectoryIsTheLaunchersOne) {
    EXPECT_EQ(DefaultRemoteDir("/x/data", "/home/op"), "/x/data/kadrant");
    EXPECT_EQ(DefaultRemoteDir("", "/home/op"), "/home/op/.local/share/kadrant");
    EXPECT_EQ(DefaultRemoteDir(nullptr, "/home/op"), "/home/op/.local/share/kadrant");
    EXPECT_EQ(DefaultRemoteDir(nullptr, nullptr), "");
}

TEST(PairingNotice, OneUrlPerReachableAddressWithTheToken) {
    std::vector<std::string> local{"192.168.1.20", "10.0.0.5", "127.0.0.1"};
    EXPECT_EQ(PageHosts("0.0.0.0", local), local);
    EXPECT_EQ(PageHosts("127.0.0.1", local), std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(PageHosts("::1", local), std::vector<std::string>{"[::1]"});
    // The token in the fragment, which the browser never sends.
    EXPECT_EQ(PageUrl("192.168.1.20", 8960, "abc"), "https://192.168.1.20:8960/#token=abc");
    EXPECT_EQ(PageUrl("127.0.0.1", 8961, "abc", "/overlay", false),
              "http://127.0.0.1:8961/overlay#token=abc");
    EXPECT_TRUE(PlainAllowed("127.0.0.1"));
    EXPECT_TRUE(PlainAllowed("::1"));
    EXPECT_FALSE(PlainAllowed("127.0.0.2"));
    EXPECT_FALSE(PlainAllowed("0.0.0.0"));
    EXPECT_FALSE(PlainAllowed("::"));
}

TEST(PairingNotice, QrCodeIsASquareOfHalfBlocks) {
    std::string code =
        TerminalQrCode("http://192.168.1.20:8960/?token=0123456789abcdef0123456789abcdef");
    ASSERT_FALSE(code.empty());
    // Version 4 at the lowest correction level: 33 modules plus a quiet zone of 2 on each side,
    // two module rows per text row.
    std::vector<std::string> rows;
    for (std::size_t start = 0, lf; (lf = code.find('\n', start)) != std::string::npos;
         start = lf + 1)
        rows.push_back(code.substr(start, lf - start));
    EXPECT_EQ(rows.size(), (33u + 4u + 1u) / 2u);
    for (const std::string& row : rows) {
        std::size_t cells = 0;
        for (unsigned char c : row)
            cells += (c & 0xC0) != 0x80; // count characters, not UTF-8 bytes
        EXPECT_EQ(cells, 37u);
    }
}

} // namespace
