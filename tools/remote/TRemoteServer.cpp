#include "tools/remote/TRemoteServer.h"

#include "tools/remote/TRemotePage.h"
#include "tools/remote/TRemoteToken.h"

#include <cstdio>

namespace {

const char* const NotRunning = "{\"error\":\"Kadrant is not running\"}";
const char* const JsonType = "application/json";

void Answer(httplib::Response& response, int status, const std::string& json) {
    response.status = status;
    response.set_content(json, JsonType);
}

std::string EventFor(const TStateSnapshot& state) {
    if (!state.Up)
        return std::string("event: offline\ndata: ") + NotRunning + "\n\n";
    return "data: " + state.Json + "\n\n";
}

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
    : Config(std::move(config)), Http(Config.Limits),
      Watcher(Config.SocketPath, Hub, Config.WatchRetry, Config.StatePoll),
      Commands(Config.SocketPath, Config.CommandTimeoutMs) {
    std::size_t threads = Config.Threads;
    Http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    Http.set_payload_max_length(1024);
    Http.set_keep_alive_max_count(Config.Limits.RequestsPerConnection);
    Http.set_read_timeout(
        std::chrono::duration_cast<std::chrono::seconds>(Config.Limits.RequestTime).count() + 1);
    Http.set_default_headers({{"Cache-Control", "no-store"},
                              {"Referrer-Policy", "no-referrer"},
                              {"X-Content-Type-Options", "nosniff"}});
    Route();
}

TRemoteServer::~TRemoteServer() {
    Stop();
}

int TRemoteServer::Bind(const std::string& host, int port) {
    int bound = port == 0 ? Http.bind_to_any_port(host) : Http.bind_to_port(host, port) ? port : -1;
    if (bound > 0)
        Http.RaiseBacklog(128);
    return bound;
}

bool TRemoteServer::Start() {
    if (!Watcher.Start())
        return false;
    ListenThread = std::thread([this] { Http.listen_after_bind(); });
    // Stop must find the server listening, or it would have nothing to wake.
    for (int i = 0; i < 2000 && !Http.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return Http.is_running();
}

void TRemoteServer::Stop() {
    // Live-event clients wait on the hub: closing it lets their workers go before the pool joins.
    Hub.Close();
    Http.stop();
    if (ListenThread.joinable())
        ListenThread.join();
    Watcher.Stop();
}

bool TRemoteServer::Authorised(const httplib::Request& request) const {
    std::string given;
    std::string header = request.get_header_value("Authorization");
    if (header.rfind("Bearer ", 0) == 0)
        given = header.substr(7);
    else if (request.has_param("token"))
        given = request.get_param_value("token");
    return TRemoteToken::Matches(Config.Token, given);
}

void TRemoteServer::Route() {
    // Nothing happens for a request without the token, not even for the page.
    Http.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            if (Authorised(request))
                return httplib::Server::HandlerResponse::Unhandled;
            response.set_header("WWW-Authenticate", "Bearer");
            Answer(response, 401, "{\"error\":\"pairing token missing or wrong\"}");
            return httplib::Server::HandlerResponse::Handled;
        });

    Http.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Security-Policy",
                            "default-src 'none'; script-src 'unsafe-inline'; style-src "
                            "'unsafe-inline'; connect-src 'self'; img-src data:");
        response.set_content(RemotePageHtml(), "text/html; charset=utf-8");
    });
    for (const char* command : {"start", "stop", "reset", "plus", "minus"}) {
        std::string path = std::string("/api/") + command;
        auto handler = [this, command](const httplib::Request&, httplib::Response& response) {
            RunCommand(command, response);
        };
        // Some buttons and devices can only send a GET.
        Http.Post(path, handler);
        Http.Get(path, handler);
    }
    Http.Get("/api/state", [this](const httplib::Request&, httplib::Response& response) {
        ServeState(response);
    });
    Http.Get("/api/events", [this](const httplib::Request&, httplib::Response& response) {
        ServeEvents(response);
    });
}

void TRemoteServer::RunCommand(const std::string& command, httplib::Response& response) {
    std::string reply;
    bool reached;
    {
        std::lock_guard<std::mutex> lock(CommandMutex);
        reached = Commands.Command(command, reply);
    }
    if (!reached) {
        Answer(response, 503, NotRunning);
        return;
    }
    std::string reason;
    switch (ClassifyReply(reply, &reason)) {
    case TReplyKind::Ok:
        Answer(response, 200, "{\"ok\":true}");
        return;
    case TReplyKind::Error:
        // Kadrant refused it, as it would have refused the click: say why.
        Answer(response, 409, "{\"ok\":false,\"error\":\"" + JsonEscape(reason) + "\"}");
        return;
    default:
        Answer(response, 502, "{\"error\":\"unexpected reply from Kadrant\"}");
    }
}

void TRemoteServer::ServeState(httplib::Response& response) {
    std::string reply;
    bool reached;
    {
        std::lock_guard<std::mutex> lock(CommandMutex);
        reached = Commands.Command("state", reply);
    }
    if (!reached) {
        Answer(response, 503, NotRunning);
        return;
    }
    if (ClassifyReply(reply) != TReplyKind::State) {
        Answer(response, 502, "{\"error\":\"unexpected reply from Kadrant\"}");
        return;
    }
    Answer(response, 200, reply);
}

void TRemoteServer::ServeEvents(httplib::Response& response) {
    if (EventClientCount.fetch_add(1) >= Config.MaxEventClients) {
        --EventClientCount;
        Answer(response, 429, "{\"error\":\"too many live clients\"}");
        return;
    }
    response.set_header("X-Accel-Buffering", "no");
    auto seen = std::make_shared<std::uint64_t>(0);
    auto lastWrite = std::make_shared<std::chrono::steady_clock::time_point>();
    response.set_chunked_content_provider(
        "text/event-stream",
        [this, seen, lastWrite](std::size_t, httplib::DataSink& sink) {
            if (*seen == 0) {
                // Tell the browser to come back soon if the bridge itself restarts.
                std::string retry = "retry: 2000\n\n";
                if (!sink.write(retry.data(), retry.size()))
                    return false;
            }
            TStateSnapshot state;
            if (Hub.WaitNewer(*seen, std::chrono::milliseconds(500), state)) {
                *seen = state.Version;
                *lastWrite = std::chrono::steady_clock::now();
                std::string event = EventFor(state);
                return sink.write(event.data(), event.size());
            }
            if (Hub.IsClosed() || TBoundedHttpServer::CurrentPeerGone())
                return false;
            if (std::chrono::steady_clock::now() - *lastWrite >= Config.EventPing) {
                *lastWrite = std::chrono::steady_clock::now();
                std::string ping = ": ping\n\n";
                return sink.write(ping.data(), ping.size());
            }
            return true;
        },
        [this](bool) { --EventClientCount; });
}
