// The bridge against the real program: kadrant on the offscreen platform in a temporary directory
// with a pseudo-terminal as the board on Com1, and kadrant-remote on 127.0.0.1 beside it, both as
// processes of their own. Requests go over real HTTP; what counts is what reaches the board.
#include "app/settings/SettingsRecord.h"
#include "tests/remote/RemoteHttp.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TestBytes.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono;
using testline::TPtyLine;
using testline::TTempWorkDir;

// Count-up of seconds on Com1: START puts "        0" on line 0 at once, then one a second.
void WriteSettings(const std::string& path) {
    TSettingsRecord record{};
    record.portCode = 1;
    record.boardType = 1;
    record.functionCode = FunctionCountUp;
    record.displayType = DisplaySeconds;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(&record), sizeof record);
}

pid_t Spawn(const std::string& dir, const std::vector<std::string>& args, int stdoutFd) {
    pid_t pid = fork();
    if (pid == 0) {
        int quiet = open("/dev/null", O_WRONLY);
        dup2(stdoutFd >= 0 ? stdoutFd : quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (chdir(dir.c_str()) == 0 && setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0)
            execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// The exit status within the time, or -1 (the process is then still running).
int WaitExit(pid_t pid, int maxMs) {
    auto deadline = steady_clock::now() + milliseconds(maxMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (steady_clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct TReply {
    int Status = 0;
    std::string Body;
};

TReply Request(int port, const std::string& requestLine, const std::string& headers = "") {
    TRawHttp http(port);
    http.Send(requestLine + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headers +
              "\r\n");
    http.ClosedWithin(3000);
    TReply reply;
    std::smatch status;
    const std::string& all = http.All();
    if (std::regex_search(all, status, std::regex("^HTTP/1\\.1 (\\d{3})")))
        reply.Status = std::stoi(status[1]);
    if (auto body = all.find("\r\n\r\n"); body != std::string::npos)
        reply.Body = all.substr(body + 4);
    return reply;
}

class RealKadrant : public ::testing::Test {
protected:
    void SetUp() override {
        WriteSettings((Dir.Path / "config.dat").string());
        Kadrant = Spawn(Dir.Path, {KADRANT_PROGRAM}, -1);
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        Bridge =
            Spawn(Dir.Path, {REMOTE_PROGRAM, "--dir", Dir.Path.string(), "--listen", "127.0.0.1:0"},
                  out[1]);
        close(out[1]);
        ASSERT_TRUE(ReadPairingUrl(out[0])) << "the bridge printed no page address";
        close(out[0]);
        // The socket opens once the splash has gone.
        auto deadline = steady_clock::now() + seconds(15);
        while (Request(Port, "GET /api/state?token=" + Token).Status != 200) {
            ASSERT_LT(steady_clock::now(), deadline) << "Kadrant never answered through the bridge";
            std::this_thread::sleep_for(milliseconds(100));
        }
        Line.ReadUntilQuiet(300, 3000); // the opening blanks and the first value
    }
    void TearDown() override {
        for (pid_t pid : {Bridge, Kadrant}) {
            if (pid > 0 && kill(pid, SIGKILL) == 0)
                waitpid(pid, nullptr, 0);
        }
    }

    bool ReadPairingUrl(int fd) {
        const std::regex pattern("http://127\\.0\\.0\\.1:(\\d+)/\\?token=([0-9a-f]{32})\n");
        auto deadline = steady_clock::now() + seconds(5);
        std::string text;
        std::smatch url;
        while (!std::regex_search(text, url, pattern)) {
            const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
            pollfd p{fd, POLLIN, 0};
            char chunk[1024];
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
                return false;
            const ssize_t n = read(fd, chunk, sizeof chunk);
            if (n <= 0)
                return false;
            text.append(chunk, static_cast<std::size_t>(n));
        }
        Port = std::stoi(url[1]);
        Token = url[2];
        return true;
    }

    TTempWorkDir Dir;
    TPtyLine Line{1};
    pid_t Kadrant = -1;
    pid_t Bridge = -1;
    int Port = 0;
    std::string Token;
};

TEST_F(RealKadrant, RequestsWithoutTheRightTokenGet401AndNothingReachesTheBoard) {
    const std::string wrong(32, 'a');
    const struct {
        const char* Name;
        std::string RequestLine;
        std::string Headers;
    } requests[] = {
        {"no token", "POST /api/start", ""},
        {"token cut short", "POST /api/reset?token=" + Token.substr(0, 31), ""},
        {"wrong bearer", "GET /api/start", "Authorization: Bearer " + wrong + "\r\n"},
    };
    for (const auto& request : requests) {
        SCOPED_TRACE(request.Name);
        EXPECT_EQ(Request(Port, request.RequestLine, request.Headers).Status, 401);
    }
    // START and RESET both put the start value on the board: any one let through would show.
    EXPECT_EQ(Line.ReadUntilQuiet(600, 1500), "");
    const TReply state = Request(Port, "GET /api/state?token=" + Token);
    EXPECT_NE(state.Body.find("\"running\":false"), std::string::npos) << state.Body;
}

TEST_F(RealKadrant, StartReachesTheBoardEventsFollowAndAStoppedKadrantGives503UntilItsBack) {
    TRawHttp events(Port);
    ASSERT_TRUE(
        events.Send("GET /api/events?token=" + Token + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    ASSERT_TRUE(events.ReadUntil("\"running\":false")) << events.All();

    const TReply started = Request(Port, "POST /api/start?token=" + Token);
    EXPECT_EQ(started.Status, 200) << started.Body;
    EXPECT_EQ(Line.ReadBytes(17, 2000), testbytes::LineMessage('0', "        0"));
    EXPECT_TRUE(events.ReadUntil("\"running\":true")) << events.All();
    // The count goes on by itself, and the page hears of each second.
    EXPECT_EQ(Line.ReadBytes(17, 2500), testbytes::LineMessage('0', "        1"));
    EXPECT_TRUE(events.ReadUntil("\"line1\":\"        1\"")) << events.All();

    ASSERT_EQ(kill(Kadrant, SIGTERM), 0);
    EXPECT_EQ(WaitExit(Kadrant, 5000), 0);
    Kadrant = -1;
    EXPECT_TRUE(events.ReadUntil("event: offline")) << events.All();
    for (const char* request : {"GET /api/state", "POST /api/start", "GET /api/stop"}) {
        SCOPED_TRACE(request);
        EXPECT_EQ(Request(Port, std::string(request) + "?token=" + Token).Status, 503);
    }

    // Started again, it is found by itself: the page's events come back with its state.
    Kadrant = Spawn(Dir.Path, {KADRANT_PROGRAM}, -1);
    EXPECT_TRUE(events.ReadUntil("data: {\"function\":\"count-up\"", 15000)) << events.All();
    EXPECT_EQ(Request(Port, "GET /api/state?token=" + Token).Status, 200);
}

} // namespace
