// The bridge over real HTTP on 127.0.0.1, against a stand-in for Kadrant's control socket: the
// token guards everything, commands reach the socket, a missing Kadrant gives 503, the live
// events follow the state, and bad or slow clients cannot hold the bridge.
#include "tests/remote/RemoteHttp.h"
#include "tests/support/FakeKadrantPeer.h"
#include "tests/support/WaitFor.h"
#include "tools/remote/TRemoteServer.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>

using testwait::WaitFor;

namespace {

const std::string Token = "00112233445566778899aabbccddeeff";

std::vector<std::string> WithoutWatcher(std::vector<std::string> commands) {
    // The bridge's own watch connection is not something a client did.
    std::erase(commands, "watch");
    return commands;
}

class RemoteBridge : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrant-remote-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Dir = pattern;
        Socket = Dir + "/kadrant.sock";
        Peer = std::make_unique<TFakeKadrantPeer>(Socket);
        ASSERT_TRUE(Peer->Start());
    }
    void TearDown() override {
        Server.reset();
        Peer.reset();
        std::filesystem::remove_all(Dir);
    }
    // The state poll is off unless a test wants it, so that the peer's record holds only what
    // the HTTP clients asked for.
    void StartBridge(TRemoteServerConfig config = {}) {
        config.SocketPath = Socket;
        config.Token = Token;
        config.WatchRetry = std::chrono::milliseconds(50);
        if (config.StatePoll == TRemoteServerConfig{}.StatePoll)
            config.StatePoll = std::chrono::hours(1);
        config.Limits.RequestTime = std::chrono::milliseconds(800);
        config.Limits.IdleTime = std::chrono::milliseconds(800);
        Server = std::make_unique<TRemoteServer>(config);
        Port = Server->Bind("127.0.0.1", 0);
        ASSERT_GT(Port, 0);
        ASSERT_TRUE(Server->Start());
    }
    httplib::Result Call(const std::string& method, const std::string& path,
                         const httplib::Headers& headers = {}) {
        httplib::Client client("127.0.0.1", Port);
        client.set_read_timeout(5);
        if (method == "POST")
            return client.Post(path.c_str(), headers, "", "text/plain");
        if (method == "DELETE")
            return client.Delete(path.c_str(), headers);
        return client.Get(path.c_str(), headers);
    }
    std::string EventsRequest() const {
        return "GET /api/events?token=" + Token + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    }

    std::string Dir, Socket;
    std::unique_ptr<TFakeKadrantPeer> Peer;
    std::unique_ptr<TRemoteServer> Server;
    int Port = 0;
};

enum class TAuth { None, WrongQuery, WrongBearer, BasicHeader, Query, Bearer };

struct TRequestCase {
    std::string Method, Path;
    TAuth Auth;
    int Status;
    std::vector<std::string> PeerSees;
    std::string BodyHas;
};

void PrintTo(const TRequestCase& c, std::ostream* os) {
    *os << c.Method << " " << c.Path << " auth " << static_cast<int>(c.Auth);
}

class RemoteBridgeRequest : public RemoteBridge,
                            public testing::WithParamInterface<TRequestCase> {};

TEST_P(RemoteBridgeRequest, AnswersAndPassesOnOnlyWithTheToken) {
    const TRequestCase& c = GetParam();
    StartBridge();
    std::string path = c.Path;
    httplib::Headers headers;
    std::string join = path.find('?') == std::string::npos ? "?" : "&";
    switch (c.Auth) {
    case TAuth::None:
        break;
    case TAuth::WrongQuery:
        path += join + "token=00112233445566778899aabbccddeefe";
        break;
    case TAuth::WrongBearer:
        headers.emplace("Authorization", "Bearer " + Token.substr(0, 31));
        break;
    case TAuth::BasicHeader:
        headers.emplace("Authorization", "Basic " + Token);
        break;
    case TAuth::Query:
        path += join + "token=" + Token;
        break;
    case TAuth::Bearer:
        headers.emplace("Authorization", "Bearer " + Token);
        break;
    }
    httplib::Result result = Call(c.Method, path, headers);
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, c.Status) << result->body;
    EXPECT_NE(result->body.find(c.BodyHas), std::string::npos) << result->body;
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), c.PeerSees);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RemoteBridgeRequest,
    testing::Values(
        TRequestCase{"POST", "/api/start", TAuth::None, 401, {}, "token"},
        TRequestCase{"POST", "/api/start", TAuth::WrongQuery, 401, {}, "token"},
        TRequestCase{"GET", "/api/stop", TAuth::WrongBearer, 401, {}, "token"},
        TRequestCase{"GET", "/api/reset", TAuth::BasicHeader, 401, {}, "token"},
        TRequestCase{"GET", "/", TAuth::None, 401, {}, ""},
        TRequestCase{"GET", "/api/events", TAuth::None, 401, {}, ""},
        TRequestCase{"GET", "/api/state", TAuth::WrongQuery, 401, {}, ""},
        TRequestCase{"POST", "/api/start", TAuth::Query, 200, {"start"}, "\"ok\":true"},
        TRequestCase{"GET", "/api/stop", TAuth::Query, 200, {"stop"}, "\"ok\":true"},
        TRequestCase{"POST", "/api/reset", TAuth::Bearer, 200, {"reset"}, "\"ok\":true"},
        TRequestCase{"GET", "/api/plus", TAuth::Bearer, 200, {"plus"}, "\"ok\":true"},
        TRequestCase{"POST", "/api/minus", TAuth::Query, 200, {"minus"}, "\"ok\":true"},
        TRequestCase{"GET", "/api/state", TAuth::Bearer, 200, {"state"}, "\"line1\":\"        0\""},
        TRequestCase{"GET", "/", TAuth::Query, 200, {}, "Kadrant is not running"},
        TRequestCase{"GET", "/api/function", TAuth::Query, 404, {}, ""},
        TRequestCase{"DELETE", "/api/start", TAuth::Query, 404, {}, ""}));

TEST_F(RemoteBridge, RefusedCommandIsA409WithKadrantsReason) {
    StartBridge();
    Peer->Refuse("start", "Start time out of range");
    httplib::Result result = Call("POST", "/api/start?token=" + Token);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 409);
    EXPECT_EQ(result->body, R"({"ok":false,"error":"Start time out of range"})");
    EXPECT_NE(Peer->State().find("\"running\":false"), std::string::npos);
}

TEST_F(RemoteBridge, WithoutKadrantTheApiAnswers503AndComesBackWithIt) {
    StartBridge();
    std::filesystem::path moved = Dir + "/elsewhere.sock";
    Peer.reset(); // Kadrant closed: its socket is gone
    for (const char* path : {"/api/start", "/api/state", "/api/reset"}) {
        httplib::Result result = Call("GET", std::string(path) + "?token=" + Token);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 503) << path;
        EXPECT_EQ(result->body, R"({"error":"Kadrant is not running"})");
    }
    // Something else in the socket's place is not Kadrant either, and is left as it is.
    std::ofstream(Socket) << "not a socket";
    httplib::Result result = Call("GET", "/api/start?token=" + Token);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 503);
    EXPECT_TRUE(std::filesystem::is_regular_file(Socket));
    std::filesystem::remove(Socket);

    Peer = std::make_unique<TFakeKadrantPeer>(Socket);
    ASSERT_TRUE(Peer->Start());
    result = Call("GET", "/api/start?token=" + Token);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), std::vector<std::string>{"start"});
}

TEST_F(RemoteBridge, PostWithoutALengthHasNoBodyAndIsAnsweredAtOnce) {
    StartBridge(); // a request may take 800 ms: the answer must not wait for that, nor fail
    TRawHttp client(Port);
    for (const char* command : {"start", "stop"}) {
        ASSERT_TRUE(client.Send(std::string("POST /api/") + command + "?token=" + Token +
                                " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
        EXPECT_TRUE(client.ReadUntil("\r\n\r\n{\"ok\":true}", 500 * KADRANT_TIME_SCALE))
            << client.All();
    }
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), (std::vector<std::string>{"start", "stop"}));
}

TEST_F(RemoteBridge, KadrantThatHangsCosts503AfterTheTimeOutNotAFrozenBridge) {
    TRemoteServerConfig config;
    config.CommandTimeoutMs = 300;
    StartBridge(config);
    Peer->SetSilent(true);
    auto before = std::chrono::steady_clock::now();
    httplib::Result result = Call("POST", "/api/start?token=" + Token);
    auto took = std::chrono::steady_clock::now() - before;
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 503);
    EXPECT_LT(took, std::chrono::seconds(2));
    Peer->SetSilent(false);
    result = Call("POST", "/api/stop?token=" + Token);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200) << "the late reply to start must not be taken for stop's";
}

TEST_F(RemoteBridge, LiveEventsFollowTheStateAndKadrantsComings) {
    TRemoteServerConfig config;
    config.StatePoll = std::chrono::milliseconds(100);
    StartBridge(config);
    TRawHttp events(Port);
    ASSERT_TRUE(events.Send(EventsRequest()));
    ASSERT_TRUE(events.ReadUntil("text/event-stream"));
    ASSERT_TRUE(events.ReadUntil("\"line1\":\"        0\"")) << events.All();

    Peer->SetLine1("       42");
    EXPECT_TRUE(events.ReadUntil("\"line1\":\"       42\"")) << events.All();
    // Pushed only on line 1 or running: the line state comes through the bridge's poll.
    Peer->SetLineState("unplugged", "the adapter was pulled out");
    EXPECT_TRUE(events.ReadUntil("\"line\":\"unplugged\"")) << events.All();
    // A command from another client shows on this one.
    ASSERT_EQ(Call("POST", "/api/start?token=" + Token)->status, 200);
    EXPECT_TRUE(events.ReadUntil("\"running\":true")) << events.All();

    Peer->Stop();
    EXPECT_TRUE(events.ReadUntil("event: offline\ndata: {\"error\":\"Kadrant is not running\"}"))
        << events.All();
    ASSERT_TRUE(Peer->Start());
    EXPECT_TRUE(events.ReadUntil("data: {\"function\"")) << events.All();
}

TEST_F(RemoteBridge, LiveClientsAreBoundedAndASlotFreesWhenOneLeaves) {
    TRemoteServerConfig config;
    config.MaxEventClients = 3;
    StartBridge(config);
    std::vector<std::unique_ptr<TRawHttp>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<TRawHttp>(Port));
        ASSERT_TRUE(clients.back()->Send(EventsRequest()));
        ASSERT_TRUE(clients.back()->ReadUntil("data: {")) << i;
    }
    TRawHttp refused(Port);
    ASSERT_TRUE(refused.Send(EventsRequest()));
    EXPECT_TRUE(refused.ReadUntil("HTTP/1.1 429")) << refused.All();
    // Commands still get through beside the live clients.
    EXPECT_EQ(Call("POST", "/api/reset?token=" + Token)->status, 200);

    clients.front()->Close();
    ASSERT_TRUE(WaitFor([&] { return Server->EventClients() < 3; }));
    TRawHttp later(Port);
    ASSERT_TRUE(later.Send(EventsRequest()));
    EXPECT_TRUE(later.ReadUntil("data: {")) << later.All();
}

struct TBadRequestCase {
    std::string Name;
    std::string Bytes;
};

void PrintTo(const TBadRequestCase& c, std::ostream* os) {
    *os << c.Name;
}

class RemoteBridgeBadRequest : public RemoteBridge,
                               public testing::WithParamInterface<TBadRequestCase> {};

TEST_P(RemoteBridgeBadRequest, IsRefusedOrCutOffAndTheBridgeServesOn) {
    StartBridge();
    TRawHttp bad(Port);
    ASSERT_TRUE(bad.IsOpen());
    bad.Send(GetParam().Bytes);
    EXPECT_TRUE(bad.ClosedWithin(3000)) << "still open: " << bad.All().substr(0, 200);
    EXPECT_EQ(bad.All().find("HTTP/1.1 200"), std::string::npos) << bad.All().substr(0, 200);
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), std::vector<std::string>{});

    httplib::Result good = Call("POST", "/api/start?token=" + Token);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->status, 200);
}

const std::string Auth = "Authorization: Bearer " + Token + "\r\n";
// Bytes as a TLS hello would start, zero bytes, then line ends.
const char Garbage[] = "\x16\x03\x01\x00\xff\0\0garbage\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, RemoteBridgeBadRequest,
    testing::Values(
        TBadRequestCase{"garbage", std::string(Garbage, sizeof Garbage - 1)},
        TBadRequestCase{"huge header", "GET /api/start HTTP/1.1\r\n" + Auth +
                                           "X-Pad: " + std::string(20000, 'a') + "\r\n\r\n"},
        TBadRequestCase{"many headers",
                        [] {
                            std::string r = "GET /api/start HTTP/1.1\r\n" + Auth;
                            for (int i = 0; i < 2000; ++i)
                                r += "X-" + std::to_string(i) + ": v\r\n";
                            return r + "\r\n";
                        }()},
        TBadRequestCase{"huge body", "POST /api/start HTTP/1.1\r\n" + Auth +
                                         "Content-Length: 100000\r\n\r\n" +
                                         std::string(100000, 'b')},
        TBadRequestCase{"huge url", "GET /api/start?token=" + Token +
                                        "&x=" + std::string(9000, 'u') + " HTTP/1.1\r\n\r\n"},
        TBadRequestCase{"request line only", "GET /api/start?token=" + Token + " HTTP/1.1\r\n"},
        TBadRequestCase{"silent", ""}));

TEST_F(RemoteBridge, SlowClientIsCutOffAtTheRequestTimeWhileOthersAreServed) {
    StartBridge();
    TRawHttp slow(Port);
    ASSERT_TRUE(slow.Send("GET /api/start?token=" + Token + " HTTP/1.1\r\n"));
    auto started = std::chrono::steady_clock::now();
    bool cut = false;
    // One header byte every 100 ms: each read succeeds, only the whole request is too slow.
    for (int i = 0; i < 40 && !cut; ++i) {
        cut = !slow.Send("X");
        httplib::Result other = Call("GET", "/api/state?token=" + Token);
        ASSERT_TRUE(other);
        EXPECT_EQ(other->status, 200);
        cut = cut || slow.ClosedWithin(100);
    }
    EXPECT_TRUE(cut);
    EXPECT_LT(std::chrono::steady_clock::now() - started,
              std::chrono::milliseconds(1600 * KADRANT_TIME_SCALE));
    std::vector<std::string> seen = WithoutWatcher(Peer->Commands());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "start"), 0);
}

} // namespace
