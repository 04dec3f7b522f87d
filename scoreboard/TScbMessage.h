// The 17-byte line messages of the line-message board (board code 11): STX, "L", the wire line
// number '0'..'8', TAB, "A", nine characters right-aligned, TAB, CR, LF.
#pragma once

namespace scbmessage {

constexpr int MessageLength = 17;
constexpr int BufferSize = MessageLength + 1; // with its NUL

// Message for driver line 1..9 only (wire line line-1), with the first nine characters of text
// right-aligned in nine positions.
void BuildLine(char (&out)[BufferSize], int line, const char* text);
// The same message with nine blanks as its text.
void BuildBlankLine(char (&out)[BufferSize], int line);

} // namespace scbmessage
