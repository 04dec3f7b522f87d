// The bridge over real HTTP on 127.0.0.1, against a stand-in for Kadrant's control socket: the
// token guards everything, commands reach the socket once at most, a missing Kadrant gives 503,
// the live events follow the state, and bad, slow or crowding clients cannot hold the bridge.
#include "control/RemoteCommand.h"
#include "tests/remote/RemoteHttp.h"
#include "tests/support/FakeKadrantPeer.h"
#include "tests/support/WaitFor.h"
#include "tools/remote/KadrantSocket.h"
#include "tools/remote/TRemoteServer.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <thread>

using testwait::WaitFor;

namespace {

const std::string Token = "00112233445566778899aabbccddeeff";
const std::string ViewToken = "ffeeddccbbaa99887766554433221100";

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
        Socket = Dir + "/" + ControlSocketName;
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
        config.ViewToken = ViewToken;
        config.WatchRetry = std::chrono::milliseconds(50);
        if (config.StatePoll == TRemoteServerConfig{}.StatePoll)
            config.StatePoll = std::chrono::hours(1);
        config.Limits.IdleSeconds = 1;
        Server = std::make_unique<TRemoteServer>(config);
        Port = Server->Bind("127.0.0.1", 0);
        ASSERT_GT(Port, 0);
        ASSERT_TRUE(Server->Start());
    }
    TSeenReply Call(const std::string& method, const std::string& path,
                    const std::string& headers = "") {
        TRawHttp client(Port);
        client.Send(method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n");
        return client.Answer();
    }
    std::string EventsRequest() const {
        return "GET /api/events?token=" + Token + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    }

    std::string Dir, Socket;
    std::unique_ptr<TFakeKadrantPeer> Peer;
    std::unique_ptr<TRemoteServer> Server;
    int Port = 0;
};

enum class TAuth {
    None,
    WrongQuery,
    WrongBearer,
    BasicHeader,
    Query,
    Bearer,
    LowerBearer,
    ViewQuery,
    ViewBearer
};

struct TRequestCase {
    std::string Method, Path;
    TAuth Auth;
    int Status;
    std::vector<std::string> PeerSees;
    std::string BodyHas;
    std::string Headers = "";
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
    std::string headers = c.Headers;
    std::string join = path.find('?') == std::string::npos ? "?" : "&";
    switch (c.Auth) {
    case TAuth::None:
        break;
    case TAuth::WrongQuery:
        path += join + "token=00112233445566778899aabbccddeefe";
        break;
    case TAuth::WrongBearer:
        headers += "Authorization: Bearer " + Token.substr(0, 31) + "\r\n";
        break;
    case TAuth::BasicHeader:
        headers += "Authorization: Basic " + Token + "\r\n";
        break;
    case TAuth::Query:
        path += join + "token=" + Token;
        break;
    case TAuth::Bearer:
        headers += "Authorization: Bearer " + Token + "\r\n";
        break;
    case TAuth::LowerBearer:
        headers += "authorization: bEARER  " + Token + "\r\n";
        break;
    case TAuth::ViewQuery:
        path += join + "token=" + ViewToken;
        break;
    case TAuth::ViewBearer:
        headers += "Authorization: Bearer " + ViewToken + "\r\n";
        break;
    }
    if (c.Auth == TAuth::ViewBearer && c.Path == "/api/state") {
        ASSERT_TRUE(WaitFor([&] { return Server->KadrantUp(); }));
    }
    TSeenReply result = Call(c.Method, path, headers);
    EXPECT_EQ(result.Status, c.Status) << result.Body;
    EXPECT_NE(result.Body.find(c.BodyHas), std::string::npos) << result.Body;
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), c.PeerSees);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RemoteBridgeRequest,
    testing::Values(
        TRequestCase{"POST", "/api/start", TAuth::None, 401, {}, "token"},
        TRequestCase{"POST", "/api/start", TAuth::WrongQuery, 401, {}, "token"},
        TRequestCase{"GET", "/api/stop", TAuth::WrongBearer, 401, {}, "token"},
        TRequestCase{"GET", "/api/reset", TAuth::BasicHeader, 401, {}, "token"},
        // The page itself holds no secret: its token stays in the link's fragment.
        TRequestCase{"GET", "/", TAuth::None, 200, {}, "</html>"},
        TRequestCase{"GET", "/api/events", TAuth::None, 401, {}, ""},
        TRequestCase{"GET", "/api/state", TAuth::WrongQuery, 401, {}, ""},
        TRequestCase{"POST", "/api/start", TAuth::Query, 200, {"start"}, "\"ok\":true"},
        TRequestCase{"GET", "/api/stop", TAuth::Query, 200, {"stop"}, "\"ok\":true"},
        TRequestCase{"POST", "/api/reset", TAuth::Bearer, 200, {"reset"}, "\"ok\":true"},
        TRequestCase{"GET", "/api/plus", TAuth::Bearer, 200, {"plus"}, "\"ok\":true"},
        TRequestCase{"GET", "/api/plus", TAuth::LowerBearer, 200, {"plus"}, "\"ok\":true"},
        TRequestCase{"POST", "/api/minus", TAuth::Query, 200, {"minus"}, "\"ok\":true"},
        TRequestCase{"GET", "/api/state", TAuth::Bearer, 200, {"state"}, "\"line1\":\"        0\""},
        TRequestCase{"GET", "/", TAuth::Query, 200, {}, "Kadrant is not running"},
        // Ranges are not served, whatever they ask: the whole page.
        TRequestCase{"GET",
                     "/",
                     TAuth::Query,
                     200,
                     {},
                     "</html>",
                     "Range: bytes=0-0,2-2,4-4,6-6,8-8,10-10\r\n"},
        TRequestCase{"GET", "/api/function", TAuth::Query, 404, {}, ""},
        TRequestCase{"DELETE", "/api/start", TAuth::Query, 404, {}, ""},
        TRequestCase{"GET", "/overlay", TAuth::None, 200, {}, "</html>"},
        TRequestCase{"GET", "/api/nothing", TAuth::WrongQuery, 401, {}, "token"},
        TRequestCase{"GET", "/overlay", TAuth::Query, 200, {}, "</html>"},
        TRequestCase{"GET", "/view", TAuth::Bearer, 200, {}, "</html>"}));

// The view token opens every page, the state and the live events; every command, by either
// method, is refused before anything reaches Kadrant.
std::vector<TRequestCase> ViewTokenCases() {
    std::vector<TRequestCase> cases{
        {"GET", "/", TAuth::ViewQuery, 200, {}, "Kadrant is not running"},
        {"GET", "/overlay", TAuth::ViewQuery, 200, {}, "</html>"},
        {"GET", "/view", TAuth::ViewBearer, 200, {}, "</html>"},
        // From the live watch: a view link's asking costs Kadrant nothing.
        {"GET", "/api/state", TAuth::ViewBearer, 200, {}, "\"line1\":\"        0\""},
        {"GET", "/api/events", TAuth::ViewQuery, 200, {}, ""}};
    for (const char* command : {"start", "stop", "reset", "plus", "minus"})
        for (const char* method : {"POST", "GET"})
            cases.push_back({method,
                             std::string("/api/") + command,
                             method[0] == 'P' ? TAuth::ViewQuery : TAuth::ViewBearer,
                             403,
                             {},
                             "this link cannot do that"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ViewToken, RemoteBridgeRequest, testing::ValuesIn(ViewTokenCases()));

class RemoteBridgePage : public RemoteBridge, public testing::WithParamInterface<const char*> {};

TEST_P(RemoteBridgePage, IsOneHtmlDocumentThatFetchesNothingElse) {
    StartBridge();
    TSeenReply page = Call("GET", std::string(GetParam()) + "?token=" + ViewToken);
    ASSERT_EQ(page.Status, 200);
    EXPECT_NE(page.Head.find("Content-Type: text/html; charset=utf-8\r\n"), std::string::npos)
        << page.Head;
    EXPECT_NE(page.Head.find("Content-Security-Policy: default-src 'none';"), std::string::npos)
        << page.Head;
    // Only the pages without buttons may be framed (by a stream's scene).
    const bool buttons = std::string(GetParam()) == "/";
    EXPECT_NE(page.Head.find(buttons ? "frame-ancestors 'none'" : "frame-ancestors *"),
              std::string::npos)
        << page.Head;
    EXPECT_NE(page.Head.find("base-uri 'none'; form-action 'none'"), std::string::npos)
        << page.Head;
    for (const char* fetch : {"src=", "href=", "url(", "@import", "//fonts", "https:"})
        EXPECT_EQ(page.Body.find(fetch), std::string::npos) << fetch;
    EXPECT_EQ(page.Body.rfind("<!doctype html>", 0), 0u);
    EXPECT_NE(page.Body.find("<script>\n"), std::string::npos);
    EXPECT_EQ(page.Body.substr(page.Body.size() - 8), "</html>\n");
}

INSTANTIATE_TEST_SUITE_P(Pages, RemoteBridgePage, testing::Values("/", "/overlay", "/view"));

TEST_F(RemoteBridge, OverlayTakesItsLookFromTheLinkAndNothingElse) {
    StartBridge();
    TSeenReply page =
        Call("GET", "/overlay?token=" + ViewToken + "&color=%23F0a&unlit=off&align=right&x=1");
    EXPECT_NE(page.Body.find(R"(<body data-color="#ff00aa" data-unlit="off" data-align="right")"),
              std::string::npos);
    page = Call("GET", "/overlay?token=" + ViewToken +
                           "&color=%22%3E%3Cscript%3Ealert(1)%3C/script%3E&unlit=%3Cb%3E&align=");
    EXPECT_EQ(page.Status, 200);
    EXPECT_NE(page.Body.find(R"(<body data-color="#ffc400" data-unlit="on" data-align="centre")"),
              std::string::npos);
    EXPECT_EQ(page.Body.find("alert(1)"), std::string::npos);
    EXPECT_EQ(page.Body.find("<b>"), std::string::npos);
}

TEST_F(RemoteBridge, RefusedCommandIsA409WithKadrantsReason) {
    StartBridge();
    Peer->Refuse("start", "Start time out of range");
    TSeenReply result = Call("POST", "/api/start?token=" + Token);
    EXPECT_EQ(result.Status, 409);
    EXPECT_EQ(result.Body, R"({"ok":false,"error":"Start time out of range"})");
    EXPECT_NE(Peer->State().find("\"running\":false"), std::string::npos);
}

TEST_F(RemoteBridge, WithoutKadrantTheApiAnswers503AndComesBackWithIt) {
    StartBridge();
    std::filesystem::path moved = Dir + "/elsewhere.sock";
    Peer.reset(); // Kadrant closed: its socket is gone
    for (const char* path : {"/api/start", "/api/state", "/api/reset"}) {
        TSeenReply result = Call("GET", std::string(path) + "?token=" + Token);
        EXPECT_EQ(result.Status, 503) << path;
        EXPECT_EQ(result.Body, R"({"error":"Kadrant is not running"})");
    }
    // Something else in the socket's place is not Kadrant either, and is left as it is.
    std::ofstream(Socket) << "not a socket";
    TSeenReply result = Call("GET", "/api/start?token=" + Token);
    EXPECT_EQ(result.Status, 503);
    EXPECT_TRUE(std::filesystem::is_regular_file(Socket));
    std::filesystem::remove(Socket);

    Peer = std::make_unique<TFakeKadrantPeer>(Socket);
    ASSERT_TRUE(Peer->Start());
    result = Call("GET", "/api/start?token=" + Token);
    EXPECT_EQ(result.Status, 200);
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

TEST_F(RemoteBridge, CommandThatGotNoAnswerIs504AndNeverSentAgain) {
    TRemoteServerConfig config;
    config.CommandTimeoutMs = 300;
    StartBridge(config);
    Peer->SetSilent(true); // it reads the line, and answers nothing
    auto before = std::chrono::steady_clock::now();
    TSeenReply result = Call("POST", "/api/plus?token=" + Token);
    auto took = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(result.Status, 504);
    EXPECT_EQ(result.Body, R"({"error":"no answer in time: the command may have run"})");
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), std::vector<std::string>{"plus"});
    Peer->SetSilent(false);
    result = Call("POST", "/api/stop?token=" + Token);
    EXPECT_EQ(result.Status, 200) << "the late reply to plus must not be taken for stop's";
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), (std::vector<std::string>{"plus", "stop"}));
}

TEST_F(RemoteBridge, CommandsWaitingForKadrantAreBoundedAndTheRestRefusedAtOnce) {
    TRemoteServerConfig config;
    config.CommandTimeoutMs = 500;
    config.Limits.QueuedJobs = 1;
    StartBridge(config);
    Peer->SetSilent(true);
    std::vector<std::unique_ptr<TRawHttp>> presses;
    for (int i = 0; i < 3; ++i) {
        presses.push_back(std::make_unique<TRawHttp>(Port));
        ASSERT_TRUE(presses.back()->Send("POST /api/plus?token=" + Token + " HTTP/1.1\r\n\r\n"));
        // The first one is with Kadrant, the next waits, the last finds no room.
        if (i == 0) {
            ASSERT_TRUE(WaitFor([&] { return WithoutWatcher(Peer->Commands()).size() == 1; }));
        }
    }
    std::multiset<int> statuses;
    for (auto& press : presses)
        statuses.insert(press->Answer().Status);
    EXPECT_EQ(statuses, (std::multiset<int>{429, 504, 504}));
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), (std::vector<std::string>{"plus", "plus"}));
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
    ASSERT_EQ(Call("POST", "/api/start?token=" + Token).Status, 200);
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
    EXPECT_EQ(Call("POST", "/api/reset?token=" + Token).Status, 200);

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

    EXPECT_EQ(Call("POST", "/api/start?token=" + Token).Status, 200);
}

// A request with a body where no route takes one, or without the token: the refusal comes before
// the body is read (none is sent here), and the connection ends with it.
class RemoteBridgeBody : public RemoteBridge,
                         public testing::WithParamInterface<std::pair<std::string, int>> {};

TEST_P(RemoteBridgeBody, IsRefusedBeforeItIsReadAndTheConnectionEnds) {
    StartBridge();
    TRawHttp client(Port);
    ASSERT_TRUE(client.Send(GetParam().first + " HTTP/1.1\r\nContent-Length: 1000\r\n\r\n"));
    EXPECT_EQ(client.Answer(2000).Status, GetParam().second);
    EXPECT_TRUE(client.ClosedWithin(2000));
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Routes, RemoteBridgeBody,
    testing::Values(std::pair<std::string, int>{"POST /api/start", 401},
                    std::pair<std::string, int>{"POST /api/state?token=" + ViewToken, 413},
                    std::pair<std::string, int>{"POST /?token=" + ViewToken, 413},
                    std::pair<std::string, int>{"POST /api/start?token=" + Token, 413}));

TEST_F(RemoteBridge, LiveSlotsAreBoundedPerAddressAndKeptForTheControlToken) {
    TRemoteServerConfig config;
    config.MaxEventClients = 3;
    config.ReservedEventClients = 1;
    config.EventClientsPerPeer = 2;
    StartBridge(config);
    auto events = [&](const char* from, const std::string& token) {
        auto client = std::make_unique<TRawHttp>(Port, from);
        client->Send("GET /api/events?token=" + token + " HTTP/1.1\r\nHost: a\r\n\r\n");
        return client;
    };
    auto first = events("127.0.0.2", ViewToken);
    auto second = events("127.0.0.2", ViewToken);
    ASSERT_TRUE(first->ReadUntil("retry:"));
    ASSERT_TRUE(second->ReadUntil("retry:"));
    EXPECT_EQ(events("127.0.0.2", ViewToken)->Answer().Status, 429); // its address's bound
    EXPECT_EQ(events("127.0.0.3", ViewToken)->Answer().Status, 429); // the rest is reserved
    auto phone = events("127.0.0.3", Token);
    EXPECT_TRUE(phone->ReadUntil("retry:")) << phone->All();
}

TEST_F(RemoteBridge, ControlSocketOfAnotherUserIsRefused) {
    std::string why;
    int fd = ConnectKadrantSocket(Socket, why, geteuid() + 1);
    EXPECT_EQ(fd, -1);
    EXPECT_NE(why.find("another user"), std::string::npos) << why;
    fd = ConnectKadrantSocket(Socket, why);
    EXPECT_GE(fd, 0) << why;
    if (fd >= 0)
        close(fd);
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
        TBadRequestCase{"silent", ""},
        // Refused without the token, and the connection ends with the refusal.
        TBadRequestCase{"no token", "POST /api/start HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc"},
        TBadRequestCase{"length not a number",
                        "POST /api/start HTTP/1.1\r\n" + Auth + "Content-Length: abc\r\n\r\n"},
        TBadRequestCase{"two lengths", "POST /api/start HTTP/1.1\r\n" + Auth +
                                           "Content-Length: 0\r\nContent-Length: 3\r\n\r\nabc"},
        TBadRequestCase{"length and chunked",
                        "POST /api/start HTTP/1.1\r\n" + Auth +
                            "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n"
                            "5\r\nhello\r\n0\r\n\r\n"}));

TEST_F(RemoteBridge, GuestsWithoutTheTokenCannotCrowdOutTheTokenHolder) {
    TRemoteServerConfig config;
    config.Limits.Connections = {6, 2};
    StartBridge(config);
    // Three guests, each one connection over its bound, trickling a request: the bridge is full.
    std::vector<std::unique_ptr<TRawHttp>> guests;
    for (const char* from : {"127.0.0.2", "127.0.0.3", "127.0.0.4"})
        for (int i = 0; i < 3; ++i) {
            guests.push_back(std::make_unique<TRawHttp>(Port, from));
            ASSERT_TRUE(guests.back()->Send("GET /api/start HTTP/1.1\r\nX-Slow: "));
        }
    auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(Call("GET", "/api/state?token=" + Token).Status, 200);
    EXPECT_LT(std::chrono::steady_clock::now() - before,
              std::chrono::milliseconds(500 * KADRANT_TIME_SCALE));
    // Room was made by closing guests: one per guest over its bound, one for the newcomer.
    std::size_t closed = 0;
    for (auto& guest : guests)
        closed += guest->ClosedWithin(200);
    EXPECT_GE(closed, 4u);
    EXPECT_EQ(WithoutWatcher(Peer->Commands()), std::vector<std::string>{"state"});
}

TEST_F(RemoteBridge, LiveClientThatTakesNothingIsCutAndItsSlotFreed) {
    TRemoteServerConfig config;
    config.MaxEventClients = 1;
    config.Limits.StallTime = std::chrono::milliseconds(300);
    config.Limits.StreamTick = std::chrono::milliseconds(50);
    StartBridge(config);
    TRawHttp stuck(Port, nullptr, 2048); // a small window, and nothing read
    ASSERT_TRUE(stuck.Send(EventsRequest()));
    ASSERT_TRUE(WaitFor([&] { return Server->EventClients() == 1; }));
    // Changes pile up until the kernel holds what the client does not take.
    for (int i = 0; i < 3000 && Server->EventClients() == 1; ++i) {
        char nine[16];
        std::snprintf(nine, sizeof nine, "%9d", i);
        Peer->SetLine1(nine);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(WaitFor([&] { return Server->EventClients() == 0; }));
    TRawHttp later(Port);
    ASSERT_TRUE(later.Send(EventsRequest()));
    EXPECT_TRUE(later.ReadUntil("data: {")) << later.All();
}

} // namespace
