// Windows' own side of the bridge, under Wine: the token files in a directory that has no modes,
// and the program itself against a stand-in Kadrant on the named pipe, asked over loopback: on
// 127.0.0.1 alone unless told otherwise, and plainly warning when told, since it has no TLS.
#include "control/RemoteState.h"
#include "controlpipe/TControlPipe.h"
#include "tests/support/WaitFor.h"
#include "tools/remote/TControlLink.h"
#include "tools/remote/TOwnDirectory.h"
#include "tools/remote/TRemoteToken.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <io.h>
#include <mutex>
#include <regex>
#include <sstream>
#include <windows.h>

using testwait::WaitFor;

namespace {

std::string FreshDirectory(const char* tag) {
    auto dir = std::filesystem::temp_directory_path() /
               (std::string(tag) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount64()));
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RemoteTokenWindows, MadeOnceKeptThenReplacedWhenDamagedAndRefusedWhenADirectory) {
    const std::string dir = FreshDirectory("kadrant-token");
    std::string why;
    const int fd = OpenOwnDirectory(dir, why);
    ASSERT_GE(fd, 0) << why;
    std::string first, again, error;
    TTokenOrigin origin;
    ASSERT_TRUE(TRemoteToken::LoadOrCreate(fd, "remote-token", first, origin, error)) << error;
    EXPECT_EQ(origin, TTokenOrigin::Made);
    EXPECT_EQ(Slurp(dir + "\\remote-token"), first + "\n");
    ASSERT_TRUE(TRemoteToken::LoadOrCreate(fd, "remote-token", again, origin, error)) << error;
    EXPECT_EQ(origin, TTokenOrigin::Kept);
    EXPECT_EQ(again, first);

    std::ofstream(dir + "\\remote-token", std::ios::trunc) << "not a token\r\n";
    ASSERT_TRUE(TRemoteToken::LoadOrCreate(fd, "remote-token", again, origin, error)) << error;
    EXPECT_EQ(origin, TTokenOrigin::Damaged);
    EXPECT_NE(again, first);
    EXPECT_EQ(Slurp(dir + "\\remote-token"), again + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir + "\\remote-token.new"));

    std::filesystem::create_directory(dir + "\\remote-view-token");
    EXPECT_FALSE(TRemoteToken::LoadOrCreate(fd, "remote-view-token", again, origin, error));
    EXPECT_TRUE(std::filesystem::is_directory(dir + "\\remote-view-token"));
    _close(fd);
    std::filesystem::remove_all(dir);
}

// Kadrant as far as the bridge can tell: its pipe, named after the directory, answering state
// and the buttons, and remembering what it was told.
class TPipeKadrant {
public:
    explicit TPipeKadrant(const std::string& dir)
        : Pipe(ControlChannelIn(dir), [this](const TRemoteCommand& command) {
              std::lock_guard<std::mutex> lock(Mutex);
              Heard.push_back(command.Valid ? RemoteVerbName(command.Verb) : "?");
              TRemoteState state;
              state.Function = "count-up";
              state.Line1 = "  12:34  ";
              return command.Valid && command.Verb == TRemoteVerb::State ? RemoteStateJson(state)
                                                                         : std::string("ok");
          }) {}
    bool Listen() { return Pipe.Listen(); }
    bool HasHeard(const std::string& verb) {
        std::lock_guard<std::mutex> lock(Mutex);
        return std::find(Heard.begin(), Heard.end(), verb) != Heard.end();
    }

private:
    std::mutex Mutex;
    std::vector<std::string> Heard;
    TControlPipe Pipe;
};

// The program under test with its output in files, ended when the test ends.
class TBridge {
public:
    TBridge(const std::string& dir, const std::string& arguments)
        : Out(dir + "\\out.txt"), Err(dir + "\\err.txt") {
        // Wine gives the Linux tree as drive Z:.
        std::string program = "Z:" + std::string(REMOTE_PROGRAM);
        std::replace(program.begin(), program.end(), '/', '\\');
        std::string line = "\"" + program + "\" --dir \"" + dir + "\" " + arguments;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileA(Out.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, CREATE_ALWAYS, 0, nullptr);
        HANDLE err = CreateFileA(Err.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA start{};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        start.hStdOutput = out;
        start.hStdError = err;
        Started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &start, &Process) != 0;
        CloseHandle(out);
        CloseHandle(err);
    }
    ~TBridge() {
        if (!Started)
            return;
        TerminateProcess(Process.hProcess, 0);
        WaitForSingleObject(Process.hProcess, static_cast<DWORD>(testwait::ScaledMs(10000)));
        CloseHandle(Process.hProcess);
        CloseHandle(Process.hThread);
    }
    bool Started = false;
    std::string Output() const { return Slurp(Out); }
    std::string Errors() const { return Slurp(Err); }
    bool Ended() const { return WaitForSingleObject(Process.hProcess, 0) == WAIT_OBJECT_0; }

    // Waits for the printed phone link: its port and token; false when the bridge ended first.
    bool Link(int& port, std::string& token) const {
        const std::regex link(R"(  http://[0-9.]+:([0-9]+)/#token=([0-9a-f]{32}))");
        std::smatch found;
        std::string out;
        WaitFor([&] {
            out = Output();
            return std::regex_search(out, found, link) || Ended();
        });
        if (found.empty())
            return false;
        port = std::stoi(found[1]);
        token = found[2];
        return true;
    }

private:
    std::string Out, Err;
    PROCESS_INFORMATION Process{};
};

// One request from `from` on a connection of its own; the whole answer, empty when refused.
std::string Ask(const char* from, int port, const std::string& request) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    inet_pton(AF_INET, from, &address.sin_addr);
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const DWORD limit = static_cast<DWORD>(testwait::ScaledMs(5000));
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
        const std::string bytes = request + "Connection: close\r\n\r\n";
        send(s, bytes.data(), static_cast<int>(bytes.size()), 0);
        char buffer[4096];
        for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;)
            answer.append(buffer, static_cast<std::size_t>(n));
    }
    closesocket(s);
    return answer;
}

class RemoteBridgeWine : public testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        ASSERT_TRUE(Kadrant.Listen());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
        WSACleanup();
    }
    std::string Dir = FreshDirectory("kadrant-bridge");
    TPipeKadrant Kadrant{Dir};
};

TEST_F(RemoteBridgeWine, WithoutTlsItServesOnLoopbackAloneAndReachesKadrantOverThePipe) {
    TBridge bridge(Dir, "");
    ASSERT_TRUE(bridge.Started) << REMOTE_PROGRAM << ": " << GetLastError();
    int port = 0;
    std::string token;
    if (!bridge.Link(port, token)) {
        // The default port is a fixed one: another program on this machine may hold it.
        if (bridge.Errors().find("cannot listen on 127.0.0.1:8960") != std::string::npos)
            GTEST_SKIP() << "port 8960 is in use here";
        FAIL() << bridge.Output() << bridge.Errors();
    }
    EXPECT_EQ(port, 8960);
    const std::string auth = "Authorization: Bearer " + token + "\r\n";
    const std::string state = Ask("127.0.0.1", port, "GET /api/state HTTP/1.1\r\n" + auth);
    EXPECT_EQ(state.rfind("HTTP/1.1 200", 0), 0u) << state;
    EXPECT_NE(state.find("12:34"), std::string::npos) << state;
    const std::string start = Ask("127.0.0.1", port, "POST /api/start HTTP/1.1\r\n" + auth);
    EXPECT_EQ(start.rfind("HTTP/1.1 200", 0), 0u) << start;
    EXPECT_TRUE(Kadrant.HasHeard("start"));
    const std::string stranger = Ask("127.0.0.1", port, "POST /api/start HTTP/1.1\r\n");
    EXPECT_EQ(stranger.rfind("HTTP/1.1 401", 0), 0u) << stranger;
    // Another address of this computer, as a phone on the network would come: nobody listens.
    EXPECT_EQ(Ask("127.0.0.2", port, "GET /api/state HTTP/1.1\r\n" + auth), "");
    EXPECT_EQ(bridge.Output().find("https://"), std::string::npos);
    EXPECT_EQ(bridge.Errors().find("WARNING"), std::string::npos) << bridge.Errors();
}

TEST_F(RemoteBridgeWine, ToldToServeTheNetworkItSaysThatNothingIsEncrypted) {
    TBridge bridge(Dir, "--listen 0.0.0.0:0");
    ASSERT_TRUE(bridge.Started) << REMOTE_PROGRAM << ": " << GetLastError();
    int port = 0;
    std::string token;
    ASSERT_TRUE(bridge.Link(port, token)) << bridge.Output() << bridge.Errors();
    const std::string warning = bridge.Errors();
    EXPECT_NE(warning.find("no TLS"), std::string::npos) << warning;
    EXPECT_NE(warning.find("unencrypted, the pairing token in the links included"),
              std::string::npos)
        << warning;
    const std::string auth = "Authorization: Bearer " + token + "\r\n";
    const std::string state = Ask("127.0.0.2", port, "GET /api/state HTTP/1.1\r\n" + auth);
    EXPECT_EQ(state.rfind("HTTP/1.1 200", 0), 0u) << state;
}

} // namespace
