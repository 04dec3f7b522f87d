// Expected wire bytes and file bytes, shared by the tests that read the line or "config.dat".
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace testbytes {

// A line message as the board receives it: STX 'L' wire line TAB 'A' nine characters TAB CR LF.
inline std::string LineMessage(char wireLine, const std::string& nineChars) {
    return std::string("\x02L") + wireLine + "\tA" + nineChars + "\t\r\n";
}

// What Clear puts on the line: the nine lines blanked, in order.
inline std::string BlankLines() {
    std::string bytes;
    for (char wire = '0'; wire <= '8'; ++wire)
        bytes += LineMessage(wire, "         ");
    return bytes;
}

inline std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The little-endian 32-bit integer at offset, or 0 past the end.
inline int32_t Int32At(const std::string& bytes, std::size_t offset) {
    int32_t value = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

} // namespace testbytes
