// Figures for kadrant-remote, run as its own process and reached over HTTP on 127.0.0.1 only,
// with a stand-in for Kadrant's control socket in a temporary directory:
//   remote_bench PROGRAM            command round trips, 1000 commands/s for 10 s, 60 live
//                                   clients, slow and oversized clients; the bridge's memory.
//   remote_bench --demo DIR SECONDS only the stand-in, in DIR, counting up once a second (for
//                                   looking at the page).
#include "control/RemoteCommand.h"
#include "tests/remote/RemoteHttp.h"
#include "tests/support/FakeKadrantPeer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct TFigures {
    std::vector<double> Values;
    void Add(double v) { Values.push_back(v); }
    double At(double q) {
        if (Values.empty())
            return 0;
        std::sort(Values.begin(), Values.end());
        return Values[std::min(Values.size() - 1, static_cast<std::size_t>(q * Values.size()))];
    }
    std::string Summary() {
        char text[128];
        std::snprintf(text, sizeof text, "median %.3f ms, p99 %.3f ms, max %.3f ms (n=%zu)",
                      At(0.5), At(0.99), At(1.0), Values.size());
        return text;
    }
};

long StatusKb(pid_t pid, const char* field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size() + 1));
    return -1;
}

void Memory(pid_t pid, const char* when) {
    std::printf("  bridge memory %-34s VmRSS %5ld KiB, VmHWM %5ld KiB, threads %ld\n", when,
                StatusKb(pid, "VmRSS"), StatusKb(pid, "VmHWM"), StatusKb(pid, "Threads"));
}

// From 127.0.0.1, or from 127.0.<peer>.1: each a peer of its own, as phones on a network are.
int Connect(int port, int peer = 0) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (peer > 0) {
        address.sin_addr.s_addr = htonl(0x7f000001u | (static_cast<uint32_t>(peer) << 8));
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads what is there within `ms`; false when the peer closed.
bool Drain(int fd, std::string& into, int ms) {
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, ms) > 0) {
        char buffer[8192];
        ssize_t n = read(fd, buffer, sizeof buffer); // a pipe or a socket
        if (n <= 0)
            return false;
        into.append(buffer, static_cast<std::size_t>(n));
        ms = 0;
    }
    return true;
}

std::size_t Count(const std::string& text, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + 1))
        ++n;
    return n;
}

// One keep-alive connection, made again when the bridge has closed it (idle).
class TClient {
public:
    explicit TClient(int port) : Port(port) {}
    TSeenReply Request(const std::string& method, const std::string& target,
                       const std::string& headers = "", const std::string& body = "") {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!Http || !Http->IsOpen())
                Http = std::make_unique<TRawHttp>(Port);
            std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                                  headers + "Content-Length: " + std::to_string(body.size()) +
                                  "\r\n\r\n" + body;
            if (Http->Send(request)) {
                TSeenReply reply = Http->Answer();
                if (reply.Status != 0)
                    return reply;
            }
            Http.reset();
        }
        return {};
    }

private:
    int Port;
    std::unique_ptr<TRawHttp> Http;
};

int Demo(const std::string& dir, int seconds) {
    const std::string socket = dir + "/" + ControlSocketName;
    TFakeKadrantPeer peer(socket);
    if (!peer.Start()) {
        std::fprintf(stderr, "cannot make %s\n", socket.c_str());
        return 1;
    }
    std::printf("stand-in socket %s\n", socket.c_str());
    std::fflush(stdout);
    peer.SetLine1("    10203");
    for (int s = 0; s < seconds; ++s) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        // Counts only as a count-up would; in another function line 1 is the peer's own.
        if (peer.State().find("\"function\":\"count-up\"") == std::string::npos)
            continue;
        char nine[16];
        std::snprintf(nine, sizeof nine, "%9d", 10204 + s);
        peer.SetLine1(nine);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--demo")
        return Demo(argv[2], std::atoi(argv[3]));
    if (argc != 2) {
        std::fprintf(stderr, "usage: remote_bench PATH-TO-kadrant-remote | --demo DIR SECONDS\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    char pattern[] = "/tmp/kadrant-remote-bench-XXXXXX";
    std::string dir = mkdtemp(pattern);
    TFakeKadrantPeer peer(dir + "/" + ControlSocketName);
    peer.Start();

    int out[2];
    if (pipe(out) != 0)
        return 1;
    pid_t bridge = fork();
    if (bridge == 0) {
        dup2(out[1], STDOUT_FILENO);
        execl(argv[1], argv[1], "--dir", dir.c_str(), "--listen", "127.0.0.1:0",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string banner;
    while (banner.find("/#token=") == std::string::npos ||
           banner.find('\n', banner.find("/#token=")) == std::string::npos)
        if (!Drain(out[0], banner, 5000))
            break;
    std::size_t at = banner.find("http://127.0.0.1:");
    if (at == std::string::npos) {
        std::fprintf(stderr, "bridge did not start:\n%s\n", banner.c_str());
        return 1;
    }
    int port = std::atoi(banner.c_str() + at + 17);
    std::string token;
    std::getline(std::ifstream(dir + "/remote-token"), token);
    const std::string q = "?token=" + token;
    // What clients asked for: the bridge's own watch and state polls left out.
    auto commands = [&peer] {
        std::size_t n = 0;
        for (const std::string& c : peer.Commands())
            n += c != "watch" && c != "state";
        return n;
    };
    std::printf("kadrant-remote pid %d on 127.0.0.1:%d\n", bridge, port);
    Memory(bridge, "at start:");

    // 1. One command after another on one keep-alive connection.
    {
        TClient client(port);
        TFigures trip;
        for (int i = 0; i < 2000; ++i) {
            auto t0 = Clock::now();
            auto r = client.Request("POST", "/api/" + std::string(i % 2 ? "stop" : "start") + q);
            trip.Add(Ms(Clock::now() - t0));
            if (r.Status != 200)
                std::printf("  unexpected answer at %d\n", i);
        }
        std::printf("command round trip, HTTP to the socket's reply and back, one client:\n  %s\n",
                    trip.Summary().c_str());
    }

    // 2. 1000 commands a second for 10 s, from 4 clients at 250/s each, with 10 live clients on;
    // twice, so that the second round shows whether memory keeps growing.
    for (int round = 1; round <= 2; ++round) {
        std::vector<int> live;
        for (int i = 0; i < 10; ++i) {
            live.push_back(Connect(port, 1 + i));
            std::string request = "GET /api/events" + q + " HTTP/1.1\r\nHost: x\r\n\r\n";
            send(live.back(), request.data(), request.size(), MSG_NOSIGNAL);
        }
        std::size_t before = commands();
        std::atomic<int> ok{0}, failed{0};
        std::vector<TFigures> trips(4);
        std::vector<std::thread> senders;
        auto start = Clock::now();
        for (int t = 0; t < 4; ++t)
            senders.emplace_back([&, t] {
                TClient client(port);
                for (int i = 0; i < 2500; ++i) {
                    std::this_thread::sleep_until(start +
                                                  std::chrono::microseconds(4000 * i + 1000 * t));
                    const char* name = (i % 3 == 0)   ? "/api/start"
                                       : (i % 3 == 1) ? "/api/stop"
                                                      : "/api/reset";
                    auto t0 = Clock::now();
                    auto r = client.Request("POST", name + q);
                    trips[t].Add(Ms(Clock::now() - t0));
                    (r.Status == 200 ? ok : failed)++;
                }
            });
        std::thread sampler([&] {
            for (int s = 0; s < 10; ++s) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
                if (s == 4)
                    Memory(bridge, "after 5 s of 1000 commands/s:");
            }
        });
        for (auto& s : senders)
            s.join();
        sampler.join();
        double took = Ms(Clock::now() - start) / 1000.0;
        TFigures all;
        for (auto& f : trips)
            for (double v : f.Values)
                all.Add(v);
        std::size_t events = 0;
        for (int fd : live) {
            std::string got;
            Drain(fd, got, 200);
            events += Count(got, "data: {");
            close(fd);
        }
        std::printf("round %d: 1000 commands/s for 10 s (4 clients, 10 live clients listening):\n"
                    "  %d answered 200, %d not, in %.2f s; the socket received %zu\n"
                    "  round trip %s\n  live events received per live client: %.0f on average\n",
                    round, ok.load(), failed.load(), took, commands() - before,
                    all.Summary().c_str(), events / 10.0);
        Memory(bridge, "after 10 s of 1000 commands/s:");
    }

    // 3. 60 live clients at once (the pairing token's); the 61st is refused; 100 changes reach
    // all of them.
    {
        // The live clients of the load phase have just hung up; their slots are given back
        // within half a second.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::vector<int> live;
        std::vector<std::string> got(60);
        std::string request = "GET /api/events" + q + " HTTP/1.1\r\nHost: x\r\n\r\n";
        for (int i = 0; i < 60; ++i) {
            live.push_back(Connect(port, 1 + i));
            send(live.back(), request.data(), request.size(), MSG_NOSIGNAL);
        }
        for (int i = 0; i < 60; ++i)
            Drain(live[i], got[i], 500);
        int extra = Connect(port, 61);
        send(extra, request.data(), request.size(), MSG_NOSIGNAL);
        std::string refused;
        Drain(extra, refused, 1000);
        close(extra);
        TFigures spread;
        for (int change = 0; change < 100; ++change) {
            char nine[16];
            std::snprintf(nine, sizeof nine, "%9d", 500000 + change);
            std::string needle = std::string("\"line1\":\"") + nine + "\"";
            auto t0 = Clock::now();
            peer.SetLine1(nine);
            for (int i = 0; i < 60; ++i)
                while (got[i].find(needle) == std::string::npos && Drain(live[i], got[i], 50) &&
                       Clock::now() - t0 < std::chrono::seconds(2)) {
                }
            spread.Add(Ms(Clock::now() - t0));
        }
        std::size_t least = 1000, most = 0, accepted = 0;
        for (auto& g : got) {
            accepted += g.rfind("HTTP/1.1 200", 0) == 0;
            std::size_t n = Count(g, "\"line1\":\"   5000");
            least = std::min(least, n);
            most = std::max(most, n);
        }
        std::printf("60 live clients: %zu accepted, the 61st answered \"%s\"\n"
                    "  100 changes, each until all 60 had it: %s\n"
                    "  changes received per client: %zu to %zu of 100\n",
                    accepted, refused.substr(0, refused.find('\r')).c_str(),
                    spread.Summary().c_str(), least, most);
        Memory(bridge, "with 60 live clients:");
        for (int fd : live)
            close(fd);
    }

    // 4. 100 slow clients from 100 peers, one header byte every 500 ms, while commands go on.
    // None is cut for being slow while there is room; it only ever holds one bounded slot.
    {
        std::vector<int> slow;
        std::vector<bool> open(100, true);
        auto start = Clock::now();
        for (int i = 0; i < 100; ++i) {
            slow.push_back(Connect(port, 100 + i));
            std::string line = "GET /api/start" + q + " HTTP/1.1\r\n";
            send(slow.back(), line.data(), line.size(), MSG_NOSIGNAL);
        }
        TClient client(port);
        TFigures trip;
        while (Clock::now() - start < std::chrono::seconds(10)) {
            for (int i = 0; i < 100; ++i) {
                std::string ignored;
                if (open[i] &&
                    (send(slow[i], "X", 1, MSG_NOSIGNAL) != 1 || !Drain(slow[i], ignored, 0)))
                    open[i] = false;
            }
            for (int k = 0; k < 10; ++k) {
                auto t0 = Clock::now();
                if (client.Request("GET", "/api/state" + q).Status == 200)
                    trip.Add(Ms(Clock::now() - t0));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        std::printf("100 slow clients (a header byte every 500 ms) for 10 s: %ld still open\n"
                    "  meanwhile GET /api/state: %s\n",
                    std::count(open.begin(), open.end(), true), trip.Summary().c_str());
        for (int fd : slow)
            close(fd);
        Memory(bridge, "after the slow clients:");
    }

    // 5. Bad requests: wrong token, oversized header, oversized body.
    {
        std::size_t before = commands();
        int statuses[3] = {0, 0, 0};
        std::string big(20000, 'a');
        for (int i = 0; i < 1000; ++i) {
            TClient client(port);
            statuses[0] +=
                client.Request("POST", "/api/start?token=00000000000000000000000000000000")
                    .Status == 401;
            statuses[1] +=
                client.Request("GET", "/api/start" + q, "X-Pad: " + big + "\r\n").Status != 200;
            statuses[2] += client.Request("POST", "/api/start" + q, "", big).Status == 413;
        }
        std::printf("1000 each of: wrong token -> 401: %d; 20 kB header refused: %d; "
                    "20 kB body -> 413: %d; commands that reached the socket: %zu\n",
                    statuses[0], statuses[1], statuses[2], commands() - before);
        Memory(bridge, "after 3000 bad requests:");
    }

    kill(bridge, SIGTERM);
    int status = 0;
    waitpid(bridge, &status, 0);
    std::printf("bridge stopped on SIGTERM, exit %d\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    peer.Stop();
    std::filesystem::remove_all(dir);
    return 0;
}
