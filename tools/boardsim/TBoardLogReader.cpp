#include "tools/boardsim/TBoardLogReader.h"

#include "tools/boardsim/TBoardLines.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

TLogEntry Damaged(TLogEntry entry, const std::string& why) {
    entry.Damaged = true;
    entry.Note = why;
    entry.Event = {};
    return entry;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "L<n> |<nine characters>|": the text is taken byte for byte, so it may hold '|' or spaces.
bool ReadMessage(const std::string& rest, TBoardEvent& event, std::string& why) {
    const size_t width = TBoardLines::Width;
    if (rest.size() < 4 || rest[0] != 'L' || rest[1] < '0' || rest[1] > '8' || rest[2] != ' ' ||
        rest[3] != '|') {
        why = "no line number";
        return false;
    }
    std::string text = rest.substr(4);
    if (text.size() < width + 1 || text.back() != '|') {
        why = "text cut short";
        return false;
    }
    if (text.size() != width + 1) {
        why = "text of " + std::to_string(text.size() - 1) + " characters";
        return false;
    }
    event.Valid = true;
    event.WireLine = rest[1] - '0';
    event.Text = text.substr(0, width);
    event.Raw = std::string("\x02L") + rest[1] + "\tA" + event.Text + "\t\r\n";
    return true;
}

// "MALFORMED <problem> |<escaped bytes>|".
bool ReadMalformed(const std::string& rest, TBoardEvent& event, std::string& why) {
    size_t bar = rest.find(" |");
    if (bar == std::string::npos || rest.size() < bar + 3 || rest.back() != '|') {
        why = "malformed record cut short";
        return false;
    }
    event.Valid = false;
    event.Problem = rest.substr(0, bar);
    if (event.Problem.empty()) {
        why = "malformed record without its reason";
        return false;
    }
    if (!TBoardLogReader::Unescape(rest.substr(bar + 2, rest.size() - bar - 3), event.Raw)) {
        why = "broken escape in the recorded bytes";
        return false;
    }
    return true;
}

} // namespace

TLogEntry TBoardLogReader::ParseLine(const std::string& rawLine, int logLine) {
    TLogEntry entry;
    entry.LogLine = logLine;
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') // a log that went through a CRLF editor
        line.pop_back();

    size_t msEnd = line.find(' ');
    if (msEnd == 0 || msEnd == std::string::npos || msEnd > 18)
        return Damaged(entry, "no time");
    for (size_t i = 0; i < msEnd; ++i)
        if (line[i] < '0' || line[i] > '9')
            return Damaged(entry, "no time");
    entry.Ms = std::stoll(line.substr(0, msEnd));

    size_t wallEnd = line.find(' ', msEnd + 1);
    if (wallEnd == std::string::npos || wallEnd == msEnd + 1)
        return Damaged(entry, "no wall-clock time");
    entry.WallClock = line.substr(msEnd + 1, wallEnd - msEnd - 1);

    std::string rest = line.substr(wallEnd + 1);
    std::string why;
    static const std::string malformed = "MALFORMED ";
    bool ok = rest.compare(0, malformed.size(), malformed) == 0
                  ? ReadMalformed(rest.substr(malformed.size()), entry.Event, why)
                  : ReadMessage(rest, entry.Event, why);
    return ok ? entry : Damaged(entry, why);
}

bool TBoardLogReader::ReadFile(const std::string& path, std::vector<TLogEntry>& entries,
                               std::string& error) {
    entries.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    std::string all;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        all.append(chunk, n);
    bool failed = std::ferror(file); // a directory opens, then fails here
    int readErrno = errno;
    std::fclose(file);
    if (failed) {
        error = std::strerror(readErrno);
        return false;
    }
    // Split on LF only: a recorded text may hold any other byte, CR included.
    int logLine = 0;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        ++logLine;
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line != "\r")
            entries.push_back(ParseLine(line, logLine));
        start = end + 1;
    }
    return true;
}

bool TBoardLogReader::Unescape(const std::string& text, std::string& bytes) {
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes.push_back(text[i]);
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x')
            return false;
        int high = HexDigit(text[i + 2]);
        int low = HexDigit(text[i + 3]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 3;
    }
    return true;
}
