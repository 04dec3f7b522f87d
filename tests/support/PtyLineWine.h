// Test support under Wine: a pseudo-terminal mapped as COM<n> of the Wine prefix by
// tests/support/wine_ptys.py, which holds its master; the test reads what arrives there through
// the helper's loopback connection. The same class as PtyLinePosix.h, for the tests that need no
// more than the board's end.
#pragma once

#include "tests/support/WaitFor.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace testline {

// Makes a fresh directory the current one for the test's lifetime.
class TTempWorkDir {
public:
    TTempWorkDir() {
        Previous = std::filesystem::current_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            Path = std::filesystem::temp_directory_path() /
                   ("kadrant-line-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(GetTickCount64() % 100000) + "-" + std::to_string(attempt));
            if (std::filesystem::create_directory(Path))
                break;
        }
        std::filesystem::create_directory(Path / "ports");
        std::filesystem::current_path(Path);
    }
    ~TTempWorkDir() {
        std::error_code ignored;
        std::filesystem::current_path(Previous, ignored);
        std::filesystem::remove_all(Path, ignored);
    }
    std::filesystem::path Path;
    std::filesystem::path Previous;
};

// One connection to wine_ptys.py: a command line out, its answer line back.
class TWinePtys {
public:
    TWinePtys() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        const char* address = std::getenv("KADRANT_WINE_PTYS");
        const std::string text = address ? address : "";
        const size_t colon = text.find(':');
        if (colon == std::string::npos)
            throw std::runtime_error("KADRANT_WINE_PTYS is not set: run through wine-run.sh");
        Socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(static_cast<u_short>(std::stoi(text.substr(colon + 1))));
        inet_pton(AF_INET, text.substr(0, colon).c_str(), &peer.sin_addr);
        const DWORD waitMs = testwait::ScaledMs(5000);
        setsockopt(Socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs),
                   sizeof waitMs);
        if (connect(Socket, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0)
            throw std::runtime_error("cannot reach wine_ptys.py at " + text);
    }
    ~TWinePtys() { closesocket(Socket); }
    TWinePtys(const TWinePtys&) = delete;
    TWinePtys& operator=(const TWinePtys&) = delete;

    // The answer's text after "ok "; throws on anything else.
    std::string Ask(const std::string& command) {
        const std::string line = command + "\n";
        send(Socket, line.data(), static_cast<int>(line.size()), 0);
        std::string answer;
        char c;
        while (recv(Socket, &c, 1, 0) == 1 && c != '\n')
            answer += c;
        if (answer.rfind("ok", 0) != 0)
            throw std::runtime_error(command + ": " + answer);
        return answer.size() > 3 ? answer.substr(3) : std::string();
    }

private:
    SOCKET Socket = INVALID_SOCKET;
};

class TPtyLine {
public:
    // Maps COM<comNumber> to a new pseudo-terminal.
    explicit TPtyLine(int comNumber) : Number(std::to_string(comNumber)) {
        SlavePath = Ptys.Ask("open " + Number);
    }
    // The map goes; the helper keeps the master open until Wine has ended.
    ~TPtyLine() {
        if (Open)
            Ptys.Ask("drop " + Number);
    }
    // The cable is pulled: the master closes and COM<n> leads nowhere.
    void CloseMaster() {
        if (Open)
            Ptys.Ask("close " + Number);
        Open = false;
    }
    // Bytes sent from the board's end, as a peer that writes to the program would.
    void Write(const std::string& bytes) {
        static const char digits[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char c : bytes) {
            hex += digits[c >> 4];
            hex += digits[c & 15];
        }
        Ptys.Ask("write " + Number + " " + hex);
    }
    // "9600 8 N 1 ixon=0 opost=0", as the pseudo-terminal is set now.
    std::string Settings() { return Ptys.Ask("settings " + Number); }

    // Everything that arrives until the line has been quiet for quietMs, or until maxMs (scaled)
    // passed.
    std::string ReadUntilQuiet(int quietMs = 300, int maxMs = 5000) {
        std::string bytes;
        const auto deadline =
            std::chrono::steady_clock::now() + testwait::Scaled(std::chrono::milliseconds(maxMs));
        auto quietSince = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < deadline &&
               std::chrono::steady_clock::now() - quietSince < std::chrono::milliseconds(quietMs)) {
            const std::string chunk = Read();
            if (!chunk.empty())
                quietSince = std::chrono::steady_clock::now();
            bytes += chunk;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return bytes;
    }

    // Exactly count bytes, or fewer if they do not come within maxMs (scaled).
    std::string ReadBytes(size_t count, int maxMs = 5000) {
        std::string bytes;
        const auto deadline =
            std::chrono::steady_clock::now() + testwait::Scaled(std::chrono::milliseconds(maxMs));
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            const std::string chunk = Read();
            if (chunk.empty())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            bytes += chunk;
        }
        Pending = bytes.size() > count ? bytes.substr(count) : std::string();
        return bytes.substr(0, count);
    }

    std::string SlavePath; // the pseudo-terminal's Linux name, for messages

private:
    std::string Read() {
        std::string bytes = Pending;
        Pending.clear();
        const std::string hex = Ptys.Ask("read " + Number);
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        return bytes;
    }

    TWinePtys Ptys;
    std::string Number;
    bool Open = true;
    std::string Pending; // read past what ReadBytes was asked for
};

} // namespace testline
