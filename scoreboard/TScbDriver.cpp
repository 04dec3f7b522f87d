#include "scoreboard/TScbDriver.h"

#include "scoreboard/TScbMessage.h"

#include <cstring>

namespace {
constexpr int LineMessageBaud = 9600;
constexpr int LineMessageDataBits = 8;
constexpr int OneStopBit = 0;
constexpr int NoParity = 0;
constexpr int ReceiveBufferSize = 256;
constexpr int SendBufferSize = 10000;
constexpr int LineMessageLines = 9;
} // namespace

TScbDriver::~TScbDriver() {
    Close();
}

void TScbDriver::Setup(int boardCode, int portCode) {
    BoardCode = boardCode;
    LineCount = 1;
    PacingPeriod = 100;
    if (boardCode == BoardLineMessage) {
        SetLineParams(portCode, LineMessageBaud, LineMessageDataBits, OneStopBit, NoParity,
                      ReceiveBufferSize, SendBufferSize);
        LineCount = LineMessageLines;
    }
}

int TScbDriver::Open() {
    if (BoardCode == BoardNone)
        return 0;
    int opened = TSerial::Open();
    // The thread runs even on a port that failed: its messages are dropped at the closed port.
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
    return TSerial::Close();
}

void TScbDriver::Clear() {
    if (BoardCode != BoardLineMessage)
        return;
    char message[scbmessage::BufferSize];
    for (int line = 1; line <= LineCount; ++line) {
        scbmessage::BuildBlankLine(message, line);
        QueueText(message);
    }
}

void TScbDriver::SetLineText(int line, const char* text) {
    if (line < 1 || line > LineCount || BoardCode != BoardLineMessage)
        return;
    char message[scbmessage::BufferSize];
    scbmessage::BuildLine(message, line, text);
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
        for (char* c = text; *c; ++c)
            if (*c == '-')
                *c = 'A';
    // A closed driver has no queue: the message is dropped like one sent to a closed port.
    if (Thread)
        Thread->Append(text);
}
