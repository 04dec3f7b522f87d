#include "scoreboard/TScbDriver.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr int LineMessageBaud = 9600;
constexpr int LineMessageDataBits = 8;
constexpr int OneStopBit = 0;
constexpr int NoParity = 0;
constexpr int ReceiveBufferSize = 256;
constexpr int SendBufferSize = 10000;
constexpr int LineMessageLines = 9;
static_assert(LineMessageLines <= TScbDriver::MaxLines);
} // namespace

TScbDriver::TScbDriver() {
    // One line per change of the line's state, written here, rather than one per try.
    ReportOpenFailures(false);
}

TScbDriver::~TScbDriver() {
    Close();
}

void TScbDriver::Setup(int boardCode, int portCode) {
    BoardCode = boardCode;
    LineCount = 1;
    PacingPeriod = TickPeriodMs;
    if (boardCode == BoardLineMessage) {
        SetLineParams(portCode, LineMessageBaud, LineMessageDataBits, OneStopBit, NoParity,
                      ReceiveBufferSize, SendBufferSize);
        LineCount = LineMessageLines;
    }
}

int TScbDriver::Open() {
    if (BoardCode == BoardNone)
        return 0;
    ForgetLines();
    if (!PortNameInto(GetPortCode(), true, PortLabel))
        PortLabel[0] = '\0';
    PinDevicePath(std::string());
    int opened = TSerial::Open();
    // A port found through a link is tried again through that link only: when an unplugged
    // adapter takes its link with it, the name must not fall back to a built-in port.
    if (DevicePath().rfind("ports/", 0) == 0)
        PinDevicePath(DevicePath());
    WorkedSinceOpen = opened == 1;
    NextLook = Clock::now() + RetryPeriod;
    SetStatus(opened ? TLineStatus::Working : OpenResult(), OpenFailureDetail());
    // The thread runs even on a port that failed: its messages are dropped at the closed port
    // until a retry opens it.
    Thread = std::make_unique<TScbThread>(*this);
    if (TickPlace)
        Thread->AlignLooks(*TickPlace);
    Thread->Start();
    return opened;
}

int TScbDriver::Close() {
    if (Thread) {
        Thread->RequestStop();
        Thread->Join();
        Thread.reset();
    }
    // The operator's own change: nothing to report.
    Status.store(TLineStatus::Off, std::memory_order_release);
    return TSerial::Close();
}

void TScbDriver::ForgetLines() {
    std::lock_guard<std::mutex> lock(LinesMutex);
    for (auto& line : LastLines)
        line[0] = '\0';
}

void TScbDriver::Clear() {
    if (BoardCode != BoardLineMessage)
        return;
    char message[scbmessage::BufferSize];
    std::lock_guard<std::mutex> lock(LinesMutex);
    for (int line = 1; line <= LineCount; ++line) {
        scbmessage::BuildBlankLine(message, line);
        QueueText(message);
        LastLines[line - 1][0] = '\0'; // blank: the catch-up's clear covers it
    }
}

void TScbDriver::SetLineText(int line, const char* text) {
    if (line < 1 || line > LineCount || BoardCode != BoardLineMessage)
        return;
    char message[scbmessage::BufferSize];
    scbmessage::BuildLine(message, line, text);
    std::lock_guard<std::mutex> lock(LinesMutex);
    QueueText(message);
    std::memcpy(LastLines[line - 1], message, sizeof message);
}

void TScbDriver::AlignLooks(std::chrono::steady_clock::time_point tick) {
    TickPlace = tick;
    if (Thread)
        Thread->AlignLooks(tick);
}

void TScbDriver::QueueText(char* text) {
    if (text == nullptr || *text == '\0')
        return;
    if (BoardCode == BoardLineMessage)
        for (char* c = text; *c; ++c)
            if (*c == '-')
                *c = 'A';
    // A closed driver has no queue: the message is dropped like one sent to a closed port.
    if (Thread)
        Thread->Append(text);
}

void TScbDriver::KeepLineAlive() {
    if (BoardCode != BoardLineMessage || GetLineStatus() == TLineStatus::Off)
        return;
    const Clock::time_point now = Clock::now();
    if (IsOpen() && !HasVanished()) {
        if (now < NextLook)
            return;
        NextLook = now + RetryPeriod;
        if (CheckDevice())
            return;
        if (!HasVanished()) {
            // The name now leads to another device: follow it, as a replug would.
            std::fprintf(stderr, "kadrant: %s: now leads to another device\n", PortLabel);
            TryPort();
            return;
        }
    }
    if (IsOpen()) {
        // Gone under us: let go at once, so that the system can give the device its name back.
        TSerial::Close();
        NextLook = now + RetryPeriod;
        SetStatus(TLineStatus::Unplugged, "the device went away");
        return;
    }
    if (now < NextLook)
        return;
    NextLook = now + RetryPeriod;
    TryPort();
}

bool TScbDriver::TryPort() {
    // Open resolves the name afresh: a link to a by-id name finds the adapter whatever tty it
    // got this time. Every rule of an ordinary open holds.
    if (!TSerial::Open()) {
        TLineStatus why = OpenResult();
        if (why == TLineStatus::NoSuchPort && WorkedSinceOpen)
            why = TLineStatus::Unplugged;
        SetStatus(why, OpenFailureDetail());
        return false;
    }
    WorkedSinceOpen = true;
    CatchUp();
    SetStatus(TLineStatus::Working, "");
    return true;
}

void TScbDriver::CatchUp() {
    char lines[MaxLines][scbmessage::BufferSize];
    {
        // Whatever waits in the queue is older than, or the same as, what the lines last had.
        std::lock_guard<std::mutex> lock(LinesMutex);
        std::memcpy(lines, LastLines, sizeof lines);
        if (Thread)
            Thread->SkipQueued();
    }
    char blank[scbmessage::BufferSize];
    for (int line = 1; line <= LineCount; ++line) {
        scbmessage::BuildBlankLine(blank, line);
        WriteNow(blank);
    }
    for (int line = 1; line <= LineCount; ++line)
        if (lines[line - 1][0] != '\0')
            WriteNow(lines[line - 1]);
}

void TScbDriver::WriteNow(const char* message) {
    std::lock_guard<std::timed_mutex> lock(LineLock());
    WriteText(message);
}

void TScbDriver::SetStatus(TLineStatus status, const char* detail) {
    const TLineStatus before = Status.exchange(status, std::memory_order_acq_rel);
    if (status == before)
        return;
    if (IsLineTrouble(status))
        std::fprintf(stderr, "kadrant: %s: %s (%s); trying again every second\n", PortLabel,
                     LineStatusReason(status), detail && *detail ? detail : "no detail");
    else if (status == TLineStatus::Working && IsLineTrouble(before))
        std::fprintf(stderr, "kadrant: %s: working again\n", PortLabel);
}
