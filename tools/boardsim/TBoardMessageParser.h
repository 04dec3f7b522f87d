// Cuts the received byte stream into line messages and checks each one: 17 bytes, STX, "L", a
// wire line '0'..'8', TAB, "A", nine characters, TAB, CR, LF. Anything else comes out flagged.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TBoardEvent {
    bool Valid = false;
    int WireLine = -1;   // 0..8 when valid
    std::string Text;    // the nine characters when valid
    std::string Raw;     // the bytes as received
    std::string Problem; // why it is malformed
};

class TBoardMessageParser {
public:
    static constexpr size_t MessageLength = 17;
    static constexpr size_t MaxFragment = 64; // no LF by then: give up on it

    std::vector<TBoardEvent> Feed(const char* data, size_t size);
    // A fragment left waiting (the line went quiet mid-message) comes out flagged.
    std::vector<TBoardEvent> Flush();
    bool HasPartial() const { return !Pending.empty(); }

    static TBoardEvent Check(const std::string& frame);
    // The bytes with everything unprintable as \xNN.
    static std::string Escape(const std::string& bytes);

private:
    std::string Pending;
};
