#include "tools/remote/TRemoteServer.h"

#include "control/RemoteCommand.h"
#include "control/RemoteReply.h"
#include "tools/remote/TOverlayLook.h"
#include "tools/remote/TRemotePage.h"

#include <cstdio>

namespace {

const char* const NotRunning = "{\"error\":\"Kadrant is not running\"}";
// The line went out and no answer came: running it again could count a lap twice.
const char* const NoAnswer = "{\"error\":\"no answer in time: the command may have run\"}";
const char* const Unexpected = "{\"error\":\"unexpected reply from Kadrant\"}";

THttpReply Json(int status, std::string body) {
    THttpReply reply;
    reply.Status = status;
    reply.Body = std::move(body);
    return reply;
}

// A page: one document that fetches nothing but the bridge's own API.
THttpAnswer Page(std::string body) {
    THttpAnswer answer;
    answer.Reply.ContentType = "text/html; charset=utf-8";
    answer.Reply.Body = std::move(body);
    answer.Reply.Headers = {{"Content-Security-Policy",
                             "default-src 'none'; script-src 'unsafe-inline'; style-src "
                             "'unsafe-inline'; connect-src 'self'; img-src data:"}};
    return answer;
}

std::string EventFor(const TStateSnapshot& state) {
    if (!state.Up)
        return std::string("event: offline\ndata: ") + NotRunning + "\n\n";
    return "data: " + state.Json + "\n\n";
}

// One live-event client: the state on each change, a ping when quiet. It holds one of the bounded
// slots for as long as it lives.
class TEventStream : public THttpStream {
public:
    TEventStream(const TStateHub& hub, std::chrono::milliseconds ping,
                 std::atomic<std::size_t>& count)
        : Hub(hub), Ping(ping), Count(count) {}
    ~TEventStream() override { --Count; }

    TStep Next(std::string& out) override {
        auto now = std::chrono::steady_clock::now();
        if (!Greeted) {
            // Tell the browser to come back soon if the bridge itself restarts.
            out += "retry: 2000\n\n";
            Greeted = true;
        }
        TStateSnapshot state = Hub.Current();
        if (state.Version > Seen) {
            Seen = state.Version;
            out += EventFor(state);
        } else if (out.empty() && now - LastWrite >= Ping) {
            out += ": ping\n\n";
        }
        if (out.empty())
            return TStep::Wait;
        LastWrite = now;
        return TStep::Data;
    }

private:
    const TStateHub& Hub;
    std::chrono::milliseconds Ping;
    std::atomic<std::size_t>& Count;
    bool Greeted = false;
    std::uint64_t Seen = 0;
    std::chrono::steady_clock::time_point LastWrite = std::chrono::steady_clock::now();
};

} // namespace

std::string JsonEscape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

TRemoteServer::TRemoteServer(TRemoteServerConfig config)
    : Config(std::move(config)), Tokens{Config.Token, Config.ViewToken}, Http(Config.Limits),
      Watcher(Config.SocketPath, Hub, Config.WatchRetry, Config.StatePoll),
      Commands(Config.SocketPath, Config.CommandTimeoutMs) {
    Http.SetDefaultHeaders({{"Cache-Control", "no-store"},
                            {"Referrer-Policy", "no-referrer"},
                            {"X-Content-Type-Options", "nosniff"}});
    Hub.SetListener([this] { Http.WakeStreams(); });
    Route();
}

TRemoteServer::~TRemoteServer() {
    Stop();
}

int TRemoteServer::Bind(const std::string& host, int port) {
    return Http.Bind(host, port);
}

bool TRemoteServer::Start() {
    return Watcher.Start() && Http.Start([this](const THttpRequest& r) { return Dispatch(r); });
}

void TRemoteServer::Stop() {
    // Nothing publishes while the server winds down.
    Watcher.Stop();
    Http.Stop();
}

void TRemoteServer::Route() {
    Routes.push_back({"GET", "/", TAccess::View,
                      [](const THttpRequest&) { return Page(std::string(PhonePageHtml)); }});
    Routes.push_back(
        {"GET", "/overlay", TAccess::View, [](const THttpRequest& request) {
             return Page(OverlayPage(OverlayPageHtml, ParseOverlayLook(request.Query("color"),
                                                                       request.Query("unlit"),
                                                                       request.Query("align"))));
         }});
    Routes.push_back({"GET", "/view", TAccess::View,
                      [](const THttpRequest&) { return Page(std::string(ViewPageHtml)); }});
    for (TRemoteVerb verb : ButtonVerbs) {
        const char* command = RemoteVerbName(verb);
        auto serve = [this, command](const THttpRequest&) {
            THttpAnswer answer;
            answer.Later = [this, command] { return RunCommand(command); };
            return answer;
        };
        // Some buttons and devices can only send a GET.
        for (const char* method : {"POST", "GET"})
            Routes.push_back({method, std::string("/api/") + command, TAccess::Control, serve});
    }
    Routes.push_back({"GET", "/api/state", TAccess::View, [this](const THttpRequest&) {
                          THttpAnswer answer;
                          answer.Later = [this] { return ServeState(); };
                          return answer;
                      }});
    Routes.push_back({"GET", "/api/events", TAccess::View,
                      [this](const THttpRequest&) { return ServeEvents(); }});
}

THttpAnswer TRemoteServer::Dispatch(const THttpRequest& request) {
    TAccess granted =
        AccessOf(Tokens, ShownToken(request.Header("Authorization"), request.Query("token")));
    THttpAnswer answer;
    if (granted == TAccess::None) {
        // Nothing happens without the token, not even the page; and the connection ends, so that
        // a guest's requests cannot keep it.
        answer.Reply = Json(401, "{\"error\":\"pairing token missing or wrong\"}");
        answer.Reply.Headers = {{"WWW-Authenticate", "Bearer"}};
        answer.Reply.Close = true;
        return answer;
    }
    answer.Reply = Json(404, "{\"error\":\"no such page\"}");
    for (const TRoute& route : Routes) {
        if (route.Method != request.Method() || route.Path != request.Path())
            continue;
        if (granted < route.Needs)
            answer.Reply = Json(403, "{\"error\":\"this link cannot do that\"}");
        else
            answer = route.Serve(request);
        break;
    }
    answer.Trusted = true;
    return answer;
}

bool TRemoteServer::Ask(const std::string& line, std::string& reply, THttpReply& failure) {
    switch (Commands.Command(line, reply)) {
    case TCommandOutcome::Answered:
        return true;
    case TCommandOutcome::NotReached:
        failure = Json(503, NotRunning);
        return false;
    case TCommandOutcome::NoAnswer:
        break;
    }
    failure = Json(504, NoAnswer);
    return false;
}

THttpReply TRemoteServer::RunCommand(const std::string& command) {
    std::string reply, reason;
    THttpReply failure;
    if (!Ask(command, reply, failure))
        return failure;
    switch (ClassifyReply(reply, &reason)) {
    case TReplyKind::Ok:
        return Json(200, "{\"ok\":true}");
    case TReplyKind::Error:
        // Kadrant refused it, as it would have refused the click: say why.
        return Json(409, "{\"ok\":false,\"error\":\"" + JsonEscape(reason) + "\"}");
    default:
        return Json(502, Unexpected);
    }
}

THttpReply TRemoteServer::ServeState() {
    std::string reply;
    THttpReply failure;
    if (!Ask(RemoteVerbName(TRemoteVerb::State), reply, failure))
        return failure;
    return ClassifyReply(reply) == TReplyKind::State ? Json(200, reply) : Json(502, Unexpected);
}

THttpAnswer TRemoteServer::ServeEvents() {
    THttpAnswer answer;
    if (EventClientCount.fetch_add(1) >= Config.MaxEventClients) {
        --EventClientCount;
        answer.Reply = Json(429, "{\"error\":\"too many live clients\"}");
        return answer;
    }
    answer.Reply.ContentType = "text/event-stream";
    answer.Reply.Headers = {{"X-Accel-Buffering", "no"}};
    answer.Stream = std::make_shared<TEventStream>(Hub, Config.EventPing, EventClientCount);
    return answer;
}
