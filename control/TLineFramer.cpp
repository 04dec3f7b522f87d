#include "control/TLineFramer.h"

void TLineFramer::Feed(std::string_view bytes, const TOnLine& onLine) {
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, lf);
        if (!Skipping) {
            // One byte over the bound leaves room for the CR before the LF.
            if (Partial.size() + piece.size() > MaxLine + 1) {
                Skipping = true;
                Partial.clear();
            } else {
                Partial.append(piece);
            }
        }
        if (lf == std::string_view::npos)
            return;
        bytes.remove_prefix(lf + 1);
        EndLine(onLine);
    }
}

void TLineFramer::EndLine(const TOnLine& onLine) {
    if (!Partial.empty() && Partial.back() == '\r')
        Partial.pop_back();
    const bool overlong = Skipping || Partial.size() > MaxLine;
    std::string line;
    line.swap(Partial);
    Skipping = false;
    if (overlong)
        ++Overlong;
    onLine(overlong ? std::string_view() : std::string_view(line), overlong);
}

void TLineFramer::Reset() {
    Partial.clear();
    Skipping = false;
}
