#include "scoreboard/TScbMessage.h"

#include <cstring>

namespace scbmessage {

// As "\x02L%d\tA%9.9s\t\r\n" for the single-digit wire lines 0 to 8.
void BuildLine(char (&out)[BufferSize], int line, const char* text) {
    size_t length = strnlen(text, 9);
    std::memcpy(out, "\x02L0\tA         \t\r\n", BufferSize);
    out[2] = static_cast<char>('0' + (line - 1));
    std::memcpy(out + 5 + (9 - length), text, length);
}

void BuildBlankLine(char (&out)[BufferSize], int line) {
    BuildLine(out, line, "");
}

} // namespace scbmessage
