#include "tools/remote/THttpServer.h"

#include "tools/remote/HttpSockets.h"
#include "tools/remote/TStreamPump.h"
#include "tools/remote/TWorkQueue.h"

#include <cstring>
#include <microhttpd.h>
#include <mutex>
#include <optional>
#include <strings.h>
#include <unordered_map>
#include <unordered_set>

namespace {

// Beyond our own bound, so that connections being shed (closed on the event thread's next turn)
// never make the library itself turn a newcomer away.
constexpr unsigned SheddingRoom = 64;

// One request on a connection, from its headers to its answer.
struct TExchange {
    THttpAnswer Answer;
    std::size_t BodyBytes = 0;
    bool Queued = false;            // handed to the worker; the connection is suspended
    std::optional<THttpReply> Done; // the worker's reply
};

bool SameName(const char* a, const char* b) {
    return strcasecmp(a, b) == 0;
}

bool AllDigits(const char* text) {
    std::size_t length = std::strlen(text);
    if (length == 0 || length > 18)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

MHD_Result CountLengthHeaders(void* count, MHD_ValueKind, const char* key, const char*) {
    if (SameName(key, "Content-Length"))
        ++*static_cast<int*>(count);
    return MHD_YES;
}

// How the body is framed, as a request smuggled past a proxy would not be: 400 when ambiguous.
bool FramedStrictly(MHD_Connection* connection, std::size_t& length) {
    int lengths = 0;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, CountLengthHeaders, &lengths);
    const char* declared =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
    const char* coding =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Transfer-Encoding");
    length = 0;
    if (coding != nullptr)
        return lengths == 0 && SameName(coding, "chunked");
    if (lengths == 0)
        return true;
    if (lengths > 1 || !AllDigits(declared))
        return false;
    length = std::stoull(declared);
    return true;
}

THttpReply JsonReply(int status, const char* json, bool close) {
    THttpReply reply;
    reply.Status = status;
    reply.Body = json;
    reply.Close = close;
    return reply;
}

} // namespace

std::string THttpRequest::Header(const char* name) const {
    const char* value = MHD_lookup_connection_value(Connection, MHD_HEADER_KIND, name);
    return value != nullptr ? value : "";
}

std::string THttpRequest::Query(const char* name) const {
    const char* value = MHD_lookup_connection_value(Connection, MHD_GET_ARGUMENT_KIND, name);
    return value != nullptr ? value : "";
}

struct THttpServer::TImpl {
    struct TListener {
        MHD_socket Fd = MHD_INVALID_SOCKET;
        bool Ipv6 = false;
        bool Tls = false;
        MHD_Daemon* Daemon = nullptr;
    };

    THttpLimits Limits;
    THttpHandler Handler;
    std::vector<std::pair<std::string, std::string>> DefaultHeaders;
    std::vector<TListener> Listeners;
    std::string CertificatePem, KeyPem;
    std::vector<std::string> OwnPrefixes;
    // Shared by the listeners' event threads and the sweep on the worker's tick. A descriptor is
    // forgotten here before the library closes it, so a shutdown under the lock never hits a
    // reused number.
    std::mutex Mutex;
    TConnectionGuard Guard;
    std::unordered_map<TConnectionGuard::TId, MHD_socket> Fds;
    std::unordered_set<TConnectionGuard::TId> Closing; // chosen to close: nothing of it runs
    TStreamPump Pump;
    TWorkQueue Work;

    explicit TImpl(THttpLimits limits)
        : Limits(limits), Guard(limits.Connections), Pump(limits.StallTime),
          Work(limits.QueuedJobs, limits.StreamTick, [this] {
              Pump.WakeAll();
              Sweep();
          }) {}

    static TConnectionGuard::TId Id(MHD_Connection* connection) {
        return reinterpret_cast<TConnectionGuard::TId>(connection);
    }

    // ---- connections -------------------------------------------------------------------------

    // Under the lock. The library sees the end on its next turn and closes the connection itself.
    void CloseLocked(const std::vector<TConnectionGuard::TId>& victims) {
        for (TConnectionGuard::TId victim : victims) {
            Closing.insert(victim);
            auto fd = Fds.find(victim);
            if (fd != Fds.end())
                ShutDownSocket(fd->second);
        }
    }

    MHD_Result Admit(const sockaddr* address) {
        std::lock_guard<std::mutex> lock(Mutex);
        TConnectionGuard::TAdmission admission = Guard.Admit(PeerKey(address, OwnPrefixes));
        CloseLocked(admission.Shed);
        return admission.Accept ? MHD_YES : MHD_NO;
    }

    // A request that has not come in full in time, however slowly it trickles, ends.
    void Sweep() {
        std::lock_guard<std::mutex> lock(Mutex);
        CloseLocked(Guard.Overdue());
    }

    std::string PeerOf(MHD_Connection* connection) {
        const MHD_ConnectionInfo* peer =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        return PeerKey(peer != nullptr ? peer->client_addr : nullptr, OwnPrefixes);
    }

    void Notified(MHD_Connection* connection, MHD_ConnectionNotificationCode code) {
        std::lock_guard<std::mutex> lock(Mutex);
        if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            Guard.Closed(Id(connection));
            Fds.erase(Id(connection));
            Closing.erase(Id(connection));
            return;
        }
        const MHD_ConnectionInfo* fd =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        Guard.Opened(Id(connection), PeerOf(connection));
        if (fd != nullptr)
            Fds[Id(connection)] = fd->connect_fd;
    }

    // ---- requests ----------------------------------------------------------------------------

    MHD_Result Queue(MHD_Connection* connection, const THttpReply& reply) {
        MHD_Response* response = MHD_create_response_from_buffer(
            reply.Body.size(), const_cast<char*>(reply.Body.data()), MHD_RESPMEM_MUST_COPY);
        if (response == nullptr)
            return MHD_NO;
        Decorate(response, reply);
        MHD_Result queued =
            MHD_queue_response(connection, static_cast<unsigned>(reply.Status), response);
        MHD_destroy_response(response);
        return queued;
    }

    void Decorate(MHD_Response* response, const THttpReply& reply) {
        MHD_add_response_header(response, "Content-Type", reply.ContentType.c_str());
        for (const auto& [name, value] : DefaultHeaders)
            MHD_add_response_header(response, name.c_str(), value.c_str());
        for (const auto& [name, value] : reply.Headers)
            MHD_add_response_header(response, name.c_str(), value.c_str());
        if (reply.Close)
            MHD_add_response_header(response, "Connection", "close");
    }

    MHD_Result Access(MHD_Connection* connection, const char* path, const char* method,
                      std::size_t* uploadSize, void** context) {
        auto* exchange = static_cast<TExchange*>(*context);
        if (exchange == nullptr)
            return Begin(connection, path, method, context);
        if (*uploadSize > 0) {
            exchange->BodyBytes += *uploadSize;
            *uploadSize = 0;
            // A chunked body that grows past the bound: no answer is possible mid-body.
            return exchange->BodyBytes > Limits.BodyBytes ? MHD_NO : MHD_YES;
        }
        if (exchange->Done)
            return Queue(connection, *exchange->Done);
        if (exchange->Queued)
            return MHD_YES;
        THttpAnswer& answer = exchange->Answer;
        if (answer.Later)
            return Defer(connection, exchange);
        if (answer.Stream)
            return StartStream(connection, exchange);
        return Queue(connection, answer.Reply);
    }

    // The headers are in: the request is judged before any of its body is read.
    MHD_Result Begin(MHD_Connection* connection, const char* path, const char* method,
                     void** context) {
        {
            // A connection already chosen to close runs nothing, even if its request got in.
            std::lock_guard<std::mutex> lock(Mutex);
            if (Closing.count(Id(connection)) != 0)
                return MHD_NO;
            Guard.SetBusy(Id(connection), true);
        }
        auto* exchange = new TExchange;
        *context = exchange;
        std::size_t length = 0;
        if (!FramedStrictly(connection, length))
            return Queue(connection, JsonReply(400, "{\"error\":\"bad request framing\"}", true));
        if (length > Limits.BodyBytes)
            return Queue(connection,
                         JsonReply(413, "{\"error\":\"request body too large\"}", true));
        bool body = length > 0 || MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                              "Transfer-Encoding") != nullptr;
        exchange->Answer = Handler(THttpRequest(connection, method, path, PeerOf(connection)));
        if (exchange->Answer.Trusted) {
            std::lock_guard<std::mutex> lock(Mutex);
            Guard.SetTrusted(Id(connection));
        }
        // A refusal goes out before the body is read, and the connection ends with it.
        if (exchange->Answer.Reply.Close && !exchange->Answer.Later && !exchange->Answer.Stream)
            return Queue(connection, exchange->Answer.Reply);
        if (body && !exchange->Answer.TakesBody)
            return Queue(connection,
                         JsonReply(413, "{\"error\":\"this address takes no body\"}", true));
        return MHD_YES;
    }

    void Completed(MHD_Connection* connection, void** context) {
        delete static_cast<TExchange*>(*context);
        *context = nullptr;
        std::lock_guard<std::mutex> lock(Mutex);
        Guard.SetBusy(Id(connection), false);
    }

    // ---- the worker and the streams ----------------------------------------------------------

    // The connection waits, suspended, for the worker's reply; whatever happens, the reply (the
    // worker's, or a refusal) comes through the same resume.
    MHD_Result Defer(MHD_Connection* connection, TExchange* exchange) {
        exchange->Queued = true;
        MHD_suspend_connection(connection);
        auto answer = [connection, exchange](THttpReply reply) {
            exchange->Done = std::move(reply);
            MHD_resume_connection(connection);
        };
        bool taken = Work.Post(
            {[answer, exchange] { answer(exchange->Answer.Later()); },
             [answer] { answer(JsonReply(503, "{\"error\":\"the bridge is stopping\"}", true)); }});
        if (!taken)
            answer(JsonReply(429, "{\"error\":\"too many requests at once\"}", false));
        return MHD_YES;
    }

    MHD_Result StartStream(MHD_Connection* connection, TExchange* exchange) {
        MHD_Response* response = Pump.Open(connection, exchange->Answer.Stream);
        if (response == nullptr)
            return MHD_NO;
        Decorate(response, exchange->Answer.Reply);
        // While it is not suspended, a stream is writing: no progress for this long is a client
        // that takes nothing.
        auto stall = std::chrono::ceil<std::chrono::seconds>(Limits.StallTime).count();
        MHD_set_connection_option(connection, MHD_CONNECTION_OPTION_TIMEOUT,
                                  static_cast<unsigned>(stall > 0 ? stall : 1));
        MHD_Result queued = MHD_queue_response(
            connection, static_cast<unsigned>(exchange->Answer.Reply.Status), response);
        MHD_destroy_response(response);
        return queued;
    }

    // ---- callbacks ---------------------------------------------------------------------------

    static MHD_Result OnAccept(void* cls, const sockaddr* address, socklen_t) {
        return static_cast<TImpl*>(cls)->Admit(address);
    }
    static void OnConnection(void* cls, MHD_Connection* connection, void**,
                             MHD_ConnectionNotificationCode code) {
        static_cast<TImpl*>(cls)->Notified(connection, code);
    }
    static MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* path,
                                const char* method, const char*, const char*,
                                std::size_t* uploadSize, void** context) {
        return static_cast<TImpl*>(cls)->Access(connection, path, method, uploadSize, context);
    }
    static void OnCompleted(void* cls, MHD_Connection* connection, void** context,
                            MHD_RequestTerminationCode) {
        static_cast<TImpl*>(cls)->Completed(connection, context);
    }
};

THttpServer::THttpServer(THttpLimits limits) : Impl(std::make_unique<TImpl>(limits)) {}

THttpServer::~THttpServer() {
    Stop();
    for (const TImpl::TListener& listener : Impl->Listeners)
        if (listener.Fd != MHD_INVALID_SOCKET)
            CloseSocket(listener.Fd);
}

void THttpServer::SetDefaultHeaders(std::vector<std::pair<std::string, std::string>> headers) {
    Impl->DefaultHeaders = std::move(headers);
}

void THttpServer::SetCertificate(std::string certificatePem, std::string keyPem) {
    Impl->CertificatePem = std::move(certificatePem);
    Impl->KeyPem = std::move(keyPem);
}

int THttpServer::Bind(const std::string& host, int port, bool tls) {
    TImpl::TListener listener;
    listener.Tls = tls;
    int bound = -1;
    listener.Fd = OpenListener(host, port, listener.Ipv6, bound);
    if (listener.Fd == MHD_INVALID_SOCKET)
        return -1;
    if (listener.Ipv6 && Impl->OwnPrefixes.empty())
        Impl->OwnPrefixes = OwnIpv6Prefixes();
    Impl->Listeners.push_back(listener);
    return bound;
}

bool THttpServer::Start(THttpHandler handler) {
    TImpl& impl = *Impl;
    if (impl.Listeners.empty() || impl.Listeners.front().Daemon != nullptr)
        return false;
    impl.Handler = std::move(handler);
    for (TImpl::TListener& listener : impl.Listeners) {
        unsigned flags =
            MHD_USE_INTERNAL_POLLING_THREAD | HttpPollingFlag | MHD_ALLOW_SUSPEND_RESUME;
        if (listener.Ipv6)
            flags |= MHD_USE_IPv6;
        if (listener.Tls) {
            if (impl.CertificatePem.empty())
                return false;
            flags |= MHD_USE_TLS;
        }
        // The library reads the certificate options only with TLS on; they are harmless without.
        const char* key = listener.Tls ? impl.KeyPem.c_str() : nullptr;
        const char* certificate = listener.Tls ? impl.CertificatePem.c_str() : nullptr;
        listener.Daemon = MHD_start_daemon(
            flags, 0, &TImpl::OnAccept, &impl, &TImpl::OnRequest, &impl, MHD_OPTION_LISTEN_SOCKET,
            listener.Fd, MHD_OPTION_CONNECTION_LIMIT,
            static_cast<unsigned>(impl.Limits.Connections.Total) + SheddingRoom,
            MHD_OPTION_CONNECTION_TIMEOUT, impl.Limits.IdleSeconds,
            MHD_OPTION_CONNECTION_MEMORY_LIMIT, impl.Limits.HeaderBytes,
            MHD_OPTION_NOTIFY_CONNECTION, &TImpl::OnConnection, &impl, MHD_OPTION_NOTIFY_COMPLETED,
            &TImpl::OnCompleted, &impl, listener.Tls ? MHD_OPTION_HTTPS_MEM_KEY : MHD_OPTION_END,
            key, MHD_OPTION_HTTPS_MEM_CERT, certificate, MHD_OPTION_END);
        if (listener.Daemon == nullptr) {
            Stop();
            return false;
        }
        listener.Fd = MHD_INVALID_SOCKET; // the daemon's now
    }
    impl.Work.Start();
    return true;
}

void THttpServer::Stop() {
    TImpl& impl = *Impl;
    bool running = false;
    for (const TImpl::TListener& listener : impl.Listeners)
        running = running || listener.Daemon != nullptr;
    if (!running)
        return;
    // The library must not be stopped with a connection still suspended: the streams end, the
    // worker finishes its job and the waiting ones are refused, each resumed.
    impl.Pump.Stop();
    impl.Work.Stop();
    for (TImpl::TListener& listener : impl.Listeners) {
        if (listener.Daemon != nullptr)
            MHD_stop_daemon(listener.Daemon);
        listener.Daemon = nullptr;
    }
}

void THttpServer::WakeStreams() {
    Impl->Pump.WakeAll();
}
