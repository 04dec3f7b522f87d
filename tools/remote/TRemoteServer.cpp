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

// Who may show a page inside a frame of theirs.
enum class TFraming { Nobody, Anyone };

// A page: one document that fetches nothing but the bridge's own API. The phone page has buttons,
// so no other site may frame it (and click through it); the pages that only show the clock may
// be embedded in whatever composes a stream's picture.
THttpAnswer Page(std::string body, TFraming framing) {
    THttpAnswer answer;
    answer.Reply.ContentType = "text/html; charset=utf-8";
    answer.Reply.Body = std::move(body);
    std::string policy = "default-src 'none'; script-src 'unsafe-inline'; style-src "
                         "'unsafe-inline'; connect-src 'self'; img-src data:; base-uri 'none'; "
                         "form-action 'none'; frame-ancestors ";
    policy += framing == TFraming::Nobody ? "'none'" : "*";
    answer.Reply.Headers = {{"Content-Security-Policy", policy}};
    if (framing == TFraming::Nobody)
        answer.Reply.Headers.emplace_back("X-Frame-Options", "DENY");
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
                 std::shared_ptr<TRemoteServer::TEventSlots> slots, std::string peer)
        : Hub(hub), Ping(ping), Slots(std::move(slots)), Peer(std::move(peer)) {}
    ~TEventStream() override {
        std::lock_guard<std::mutex> lock(Slots->Mutex);
        --Slots->Count;
        if (--Slots->PerPeer[Peer] == 0)
            Slots->PerPeer.erase(Peer);
    }

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
    std::shared_ptr<TRemoteServer::TEventSlots> Slots;
    std::string Peer;
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

int TRemoteServer::Bind(const std::string& host, int port, bool tls) {
    return Http.Bind(host, port, tls);
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
    Routes.push_back({"GET", "/", TAccess::None, [](const THttpRequest&, TAccess) {
                          return Page(std::string(PhonePageHtml), TFraming::Nobody);
                      }});
    Routes.push_back(
        {"GET", "/overlay", TAccess::None, [](const THttpRequest& request, TAccess) {
             return Page(OverlayPage(OverlayPageHtml, ParseOverlayLook(request.Query("color"),
                                                                       request.Query("unlit"),
                                                                       request.Query("align"))),
                         TFraming::Anyone);
         }});
    Routes.push_back({"GET", "/view", TAccess::None, [](const THttpRequest&, TAccess) {
                          return Page(std::string(ViewPageHtml), TFraming::Anyone);
                      }});
    for (TRemoteVerb verb : ButtonVerbs) {
        const char* command = RemoteVerbName(verb);
        auto serve = [this, command](const THttpRequest&, TAccess) {
            THttpAnswer answer;
            answer.Later = [this, command] { return RunCommand(command); };
            return answer;
        };
        // Some buttons and devices can only send a GET.
        for (const char* method : {"POST", "GET"})
            Routes.push_back({method, std::string("/api/") + command, TAccess::Control, serve});
    }
    Routes.push_back(
        {"GET", "/api/state", TAccess::View, [this](const THttpRequest&, TAccess granted) {
             THttpAnswer answer;
             // The worker and its queue are the control token's: a view link's
             // flood of state requests never makes a press wait or fail.
             if (granted != TAccess::Control && Hub.Current().Up) {
                 answer.Reply = WatchedState();
                 return answer;
             }
             answer.Later = [this] { return ServeState(); };
             return answer;
         }});
    Routes.push_back(
        {"GET", "/api/events", TAccess::View, [this](const THttpRequest& request, TAccess granted) {
             return ServeEvents(request, granted);
         }});
}

THttpAnswer TRemoteServer::Dispatch(const THttpRequest& request) {
    TAccess granted =
        AccessOf(Tokens, ShownToken(request.Header("Authorization"), request.Query("token")));
    const TRoute* found = nullptr;
    for (const TRoute& route : Routes)
        if (route.Method == request.Method() && route.Path == request.Path())
            found = &route;
    THttpAnswer answer;
    if (granted == TAccess::None && (found == nullptr || found->Needs != TAccess::None)) {
        // Nothing but the pages themselves (which hold no secret: the token stays in the link's
        // fragment, read by the page) without the token; and the connection ends, so that a
        // guest's requests cannot keep it.
        answer.Reply = Json(401, "{\"error\":\"pairing token missing or wrong\"}");
        answer.Reply.Headers = {{"WWW-Authenticate", "Bearer"}};
        answer.Reply.Close = true;
        return answer;
    }
    if (found == nullptr)
        answer.Reply = Json(404, "{\"error\":\"no such page\"}");
    else if (granted < found->Needs)
        answer.Reply = Json(403, "{\"error\":\"this link cannot do that\"}");
    else
        answer = found->Serve(request, granted);
    answer.Trusted = granted == TAccess::Control;
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

THttpReply TRemoteServer::WatchedState() const {
    TStateSnapshot state = Hub.Current();
    return state.Up ? Json(200, state.Json) : Json(503, NotRunning);
}

std::size_t TRemoteServer::EventClients() const {
    std::lock_guard<std::mutex> lock(Slots->Mutex);
    return Slots->Count;
}

THttpAnswer TRemoteServer::ServeEvents(const THttpRequest& request, TAccess granted) {
    THttpAnswer answer;
    {
        std::lock_guard<std::mutex> lock(Slots->Mutex);
        std::size_t bound = Config.MaxEventClients;
        if (granted != TAccess::Control)
            bound -= std::min(Config.ReservedEventClients, bound);
        auto held = Slots->PerPeer.find(request.Peer());
        if (Slots->Count >= bound ||
            (held != Slots->PerPeer.end() && held->second >= Config.EventClientsPerPeer)) {
            answer.Reply = Json(429, "{\"error\":\"too many live clients\"}");
            return answer;
        }
        ++Slots->Count;
        ++Slots->PerPeer[request.Peer()];
    }
    answer.Reply.ContentType = "text/event-stream";
    answer.Reply.Headers = {{"X-Accel-Buffering", "no"}};
    answer.Stream = std::make_shared<TEventStream>(Hub, Config.EventPing, Slots, request.Peer());
    return answer;
}
