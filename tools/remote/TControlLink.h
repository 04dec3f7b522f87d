// One connection to Kadrant's control channel, the bytes under control/'s lines: kadrant.sock on
// Linux (TControlLinkLinux.cpp), a named pipe on Windows (TControlLinkWindows.cpp). Every wait is
// bounded, and the program at the other end must run as this user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where Kadrant working in `dir` listens: D/kadrant.sock, or the pipe named after D.
std::string ControlChannelIn(const std::string& dir);
// What the channel is called to the operator ("socket", "pipe").
extern const char* const ControlChannelWord;

class TControlLink {
public:
    // Whether a connection may be kept from one command to the next. Windows' pipe serves one
    // client at a time: a connection kept there would lock every other one out.
    static const bool KeepsOpen;

    TControlLink() = default;
    ~TControlLink() { Close(); }
    TControlLink(const TControlLink&) = delete;
    TControlLink& operator=(const TControlLink&) = delete;

    // False with the reason when nobody answers at `address` or another user's program does.
    bool Open(const std::string& address, int timeoutMs, std::string& why);
    void Close();
    bool IsOpen() const { return Handle != -1; }
    // All of `data` within `timeoutMs`; `written` tells how much went out.
    bool Write(std::string_view data, int timeoutMs, std::size_t* written = nullptr);
    // Bytes within `timeoutMs`: their count, 0 when the other end closed or failed, -1 when
    // nothing came in time.
    long Read(char* buffer, std::size_t size, int timeoutMs);
    // Readable before anything was asked: the end of the stream (or an error), since every reply
    // is read with its command.
    bool SeenClosed() const;

private:
    std::intptr_t Handle = -1; // a descriptor on Linux, a HANDLE on Windows
};
