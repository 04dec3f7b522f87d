// The simulator's end of the line on Windows: an existing COM port (the PC's RS-232 input, or one
// end of a virtual null-modem pair whose other end Kadrant drives), opened at 9600 8N1 and read on
// a thread of its own, so that a quiet or stalled line never holds the window or the headless loop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TComPortSource {
public:
    enum class TOpen { Opened, NoSuchPort, InUse, NotSerial, Refused };
    enum class TLine { Open, Gone };

    explicit TComPortSource(int comNumber);
    ~TComPortSource(); // stops the reading thread, then closes the port
    TComPortSource(const TComPortSource&) = delete;
    TComPortSource& operator=(const TComPortSource&) = delete;

    // Called on the reading thread whenever bytes arrived or the line went; set before Open.
    void OnArrival(std::function<void()> wake) { Wake = std::move(wake); }
    // Opens the port without flow control and starts reading; `reason` says why it could not.
    TOpen Open(std::string& reason);
    // Appends what arrived since the last call, in order, waiting up to `wait` while nothing has.
    // Gone once the port failed and every byte read before has been taken.
    TLine Take(std::string& bytes, std::chrono::milliseconds wait);
    const std::string& Path() const { return DevicePath; }

private:
    void Read();
    void Deliver(const char* data, unsigned long size, bool failed);

    std::string DevicePath;
    std::function<void()> Wake;
    void* Port = nullptr;      // HANDLE: windows.h stays out of the windows that include this
    void* StopEvent = nullptr; // HANDLE, set to end the reading thread
    std::thread Reader;
    std::mutex Lock;
    std::condition_variable Arrived;
    std::string Pending;
    bool Failed = false;
};
