#include "scoreboard/TScbDriver.h"

#include "serial/PortPath.h"
#include "serial/TDeviceWatch.h"

#include <cstdio>
#include <cstring>

namespace {
// The board has no minus sign.
void NoMinus(char* text) {
    for (char* c = text; *c; ++c)
        if (*c == '-')
            *c = 'A';
}

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
    UseDeviceWatch(nullptr);
}

void TScbDriver::UseDeviceWatch(TDeviceWatch* watch) {
    if (Watch != nullptr)
        Watch->Remove(WatchId);
    Watch = watch;
    WatchId = Watch != nullptr ? Watch->Add([this] { LookNow(); }) : 0;
}

void TScbDriver::LookNow() {
    std::lock_guard<std::mutex> lock(ThreadMutex);
    if (Thread)
        Thread->Poke();
}

// Watches every way the name may lead (the link and the built-in port while nothing is pinned),
// from before the port is opened, so that a device arriving meanwhile is not missed.
void TScbDriver::FollowPort() {
    if (Watch == nullptr)
        return;
    std::vector<std::string> paths;
    if (!PinnedPath.empty())
        paths.push_back(PinnedPath);
    else if (GetPortCode() != 0 && PortLabel[0] != '\0')
        paths = portpath::CandidatePaths(PortLabel);
    Watch->Follow(WatchId, paths, {});
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
    if (Thread)
        Close();
    if (BoardCode == BoardNone)
        return 0;
    if (!PortNameInto(GetPortCode(), true, PortLabel))
        PortLabel[0] = '\0';
    PinDevicePath(std::string());
    FollowPort();
    int opened = TSerial::Open();
    // A port found through a link is tried again through that link only: when an unplugged
    // adapter takes its link with it, the name must not fall back to a built-in port.
    if (portpath::IsPortLink(DevicePath())) {
        PinDevicePath(DevicePath());
        FollowPort();
    }
    WorkedSinceOpen = opened == 1;
    NextLook = Clock::now() + RetryPeriod;
    if (opened)
        CatchUp(); // no thread yet: written here, before anything else
    SetStatus(opened ? TLineStatus::Working : OpenResult(), OpenFailureDetail());
    // The thread runs even on a port that failed: its messages are dropped at the closed port
    // until a retry opens it.
    std::lock_guard<std::mutex> lock(ThreadMutex);
    Thread = std::make_unique<TScbThread>(*this);
    if (TickPlace)
        Thread->AlignLooks(*TickPlace);
    Thread->Start();
    return opened;
}

int TScbDriver::Close() {
    if (Thread) {
        {
            std::lock_guard<std::mutex> lock(ThreadMutex);
            Thread->RequestStop();
        }
        Thread->Join();
        std::lock_guard<std::mutex> lock(ThreadMutex);
        Thread.reset();
    }
    if (Watch != nullptr)
        Watch->Follow(WatchId, {}, {});
    // The operator's own change: nothing to report.
    Status.store(TLineStatus::Off, std::memory_order_release);
    return TSerial::Close();
}

// The lines are kept whatever the board, so that a board set up later is caught up too.
void TScbDriver::Clear() {
    char message[scbmessage::BufferSize];
    std::lock_guard<std::mutex> lock(LinesMutex);
    for (int line = 1; line <= MaxLines; ++line) {
        LastLines[line - 1][0] = '\0'; // blank: the catch-up's clear covers it
        if (BoardCode != BoardLineMessage || line > LineCount)
            continue;
        scbmessage::BuildBlankLine(message, line);
        QueueText(message);
    }
}

void TScbDriver::SetLineText(int line, const char* text) {
    if (line < 1 || line > MaxLines)
        return;
    char message[scbmessage::BufferSize];
    scbmessage::BuildLine(message, line, text);
    NoMinus(message);
    std::lock_guard<std::mutex> lock(LinesMutex);
    std::memcpy(LastLines[line - 1], message, sizeof message);
    if (BoardCode == BoardLineMessage && line <= LineCount)
        QueueText(message);
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
        NoMinus(text);
    // A closed driver has no queue: the message is dropped like one sent to a closed port.
    if (Thread)
        Thread->Append(text);
}

void TScbDriver::KeepLineAlive(bool poked) {
    if (BoardCode != BoardLineMessage || GetLineStatus() == TLineStatus::Off)
        return;
    const Clock::time_point now = Clock::now();
    // A write that found the device gone is acted on at the next look, whatever the period.
    const bool gone = IsOpen() && HasVanished();
    if (!poked && !gone && now < NextLook)
        return;
    NextLook = now + RetryPeriod;
    if (IsOpen() && !HasVanished()) {
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
        SetStatus(TLineStatus::Unplugged, "the device went away");
    }
    // Also right after a hang-up: a device put straight back is there already.
    TryPort();
}

bool TScbDriver::TryPort() {
    // Open resolves the name afresh: a link to a by-id name finds the adapter whatever tty it
    // got this time. Every rule of an ordinary open holds.
    if (!TSerial::Open()) {
        SetStatus(RetryStatus(OpenResult(), WorkedSinceOpen), OpenFailureDetail());
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
