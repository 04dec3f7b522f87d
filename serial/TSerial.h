// The program's serial line: port names, exclusive open with the line settings, and writes that
// never wait for the line. Nothing is ever read back. The ring, the names and the reporting are
// shared; opening, the line settings and the look at the device are one file per platform
// (TSerialLinux.cpp, TSerialWindows.cpp).
#pragma once

#include "serial/TLineStatus.h"
#include "serial/TLineWriter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class TSerial {
public:
    TSerial();
    ~TSerial();
    TSerial(const TSerial&) = delete;
    TSerial& operator=(const TSerial&) = delete;

    // Name of a port code ("N.C.", "Com1".."Com26", Digi names when asked for), the empty text for
    // codes without a name, nullptr past the end of the list. One static buffer, overwritten.
    static const char* PortName(int portCode, bool withDigi);
    // The same name into a buffer of the caller's, for threads other than the window's; false
    // past the end of the list.
    static bool PortNameInto(int portCode, bool withDigi, char (&name)[64]);

    // Recorded only; an open port takes them at its next Open.
    void SetLineParams(int portCode, int baudRate, int dataBits, int stopBits, int parity,
                       int receiveSize, int sendSize);

    int Open();  // 1 when the port is open for our exclusive use with the recorded settings
    int Close(); // 1 when a port was open
    // Hands the text to the line without waiting: 1 when it went out or waits whole in the ring,
    // 0 when the port is closed or gone or the text was dropped.
    int WriteText(const char* text);
    // Pushes on what an earlier write left in the ring, without waiting; bytes still unsent.
    int WritePending();

    // Held by the sending thread around each message write.
    std::timed_mutex& LineLock() { return LineMutex; }

    bool IsOpen() const { return Fd >= 0; }
    bool HasVanished() const { return Vanished.load(std::memory_order_relaxed); }
    // Why the last Open failed (Off when there was no port to open, Working after a success),
    // and the same in full for a log: the device path and the system's words.
    TLineStatus OpenResult() const { return LastOpen; }
    const char* OpenFailureDetail() const { return FailureDetail; }
    // A failing Open prints its reason on standard error unless told not to (the driver reports
    // changes of the line's state itself).
    void ReportOpenFailures(bool report) { Reporting = report; }
    // A cheap look at an open port, without writing: marks it vanished when the device hung up.
    // Returns true while the name still leads to the device that is open (a link re-pointed to
    // another device returns false).
    bool CheckDevice();
    // Where the last Open looked for the device ("ports/Com3", "/dev/ttyS2"); empty when the name
    // led nowhere.
    const std::string& DevicePath() const { return TriedPath; }
    // Makes every later Open look at this path (empty: resolve the name again each time). A
    // retry keeps to the link the operator's port was found by, rather than falling back to a
    // built-in port of the same name when the link goes with an unplugged device.
    void PinDevicePath(const std::string& path) { PinnedPath = path; }
    int GetPortCode() const { return PortCode; }
    int GetBaudRate() const { return BaudRate; }
    int GetSendSize() const { return SendSize; }
    uint32_t WritePosition() const { return WritePos; }
    int PendingBytes() const { return static_cast<int>(WritePos - SendPos); }

    // Test seam under write(2); nullptr restores the system call.
    void UseWriter(TLineWriter* writer);

protected:
    int OpenDevice(const char* portName);
    int ApplyLineSettings(const char* portName, const char* path);
    void ReleaseDevice();
    void Fail(TLineStatus status, const char* portName, const char* path, const char* reason);

    std::unique_ptr<char[]> Ring; // send-buffer-size bytes while open
    uint32_t RingSize = 0;
    uint32_t WritePos = 0; // end of the bytes handed to us
    uint32_t SendPos = 0;  // start of the bytes not yet on the wire
    // The open port, -1 when none: a descriptor on Linux; on Windows a HANDLE's value, which
    // Windows keeps within 32 bits. Read by other threads for IsOpen while the sending thread
    // reopens.
    std::atomic<int> Fd{-1};
    std::timed_mutex LineMutex;
    std::atomic<bool> Vanished{false}; // the device went away under an open port

    int PortCode = 0;
    int BaudRate = 0;
    int DataBits = 0;
    int StopBits = 0; // 0 one, 1 one and a half, 2 two
    int Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int ReceiveSize = 0;
    int SendSize = 0;

    TLineWriter* Writer;
    bool Reporting = true;
    TLineStatus LastOpen = TLineStatus::Off;
    char FailureDetail[192] = {};
    std::string TriedPath;  // where the last Open looked for the device
    std::string PinnedPath; // when set, where every Open looks, whatever the name resolves to
};
