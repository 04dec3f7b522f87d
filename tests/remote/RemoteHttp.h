// A bare HTTP client on a loopback TCP socket, for the bridge's tests: it sends exactly the bytes
// given (malformed ones included) and reads whatever comes back, with a time limit.
#pragma once

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

struct TSeenReply {
    int Status = 0;
    std::string Head; // status line and headers
    std::string Body;
};

class TRawHttp {
public:
    // From 127.0.0.1, or from `from` (another loopback address: another peer).
    explicit TRawHttp(int port, const char* from = nullptr, int receiveBuffer = 0) {
        Fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        if (from != nullptr) {
            inet_pton(AF_INET, from, &address.sin_addr);
            bind(Fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        if (receiveBuffer > 0)
            setsockopt(Fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(Fd);
            Fd = -1;
        }
    }
    ~TRawHttp() { Close(); }
    TRawHttp(const TRawHttp&) = delete;
    TRawHttp& operator=(const TRawHttp&) = delete;

    bool IsOpen() const { return Fd >= 0; }
    int Socket() const { return Fd; }
    void Close() {
        if (Fd >= 0)
            close(Fd);
        Fd = -1;
    }
    bool Send(const std::string& bytes) {
        return Fd >= 0 && send(Fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                              static_cast<ssize_t>(bytes.size());
    }
    // Reads until `needle` has arrived (true), or the peer closes or the time is up (false).
    bool ReadUntil(const std::string& needle, int timeoutMs = 3000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Received.find(needle, Consumed) == std::string::npos) {
            if (!ReadSome(deadline))
                return false;
        }
        Consumed = Received.find(needle, Consumed) + needle.size();
        return true;
    }
    // True when the server closes the connection within the time.
    bool ClosedWithin(int timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (ReadSome(deadline)) {
        }
        return PeerClosed;
    }
    const std::string& All() const { return Received; }

    // The status and body of the next answer (read to its Content-Length); status 0 when none.
    TSeenReply Answer(int timeoutMs = 5000) {
        TSeenReply answer;
        std::size_t start = Consumed;
        if (!ReadUntil("\r\n\r\n", timeoutMs))
            return answer;
        std::string head = Received.substr(start, Consumed - start);
        answer.Head = head;
        std::size_t length = 0;
        for (std::string name : {"Content-Length: ", "content-length: "})
            if (std::size_t at = head.find(name); at != std::string::npos)
                length = std::stoul(head.substr(at + name.size()));
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Received.size() < Consumed + length && ReadSome(deadline)) {
        }
        answer.Body = Received.substr(Consumed, length);
        Consumed = std::min(Received.size(), Consumed + length);
        answer.Status = head.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(head.c_str() + 9) : 0;
        return answer;
    }

private:
    int Fd = -1;
    std::string Received;
    std::size_t Consumed = 0;
    bool PeerClosed = false;

    bool ReadSome(std::chrono::steady_clock::time_point deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd p{Fd, POLLIN, 0};
        if (Fd < 0 || left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        char buffer[4096];
        ssize_t n = recv(Fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            PeerClosed = true;
            return false;
        }
        Received.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
};
