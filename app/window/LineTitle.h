// The main window's title from the state of the chosen line: "Kadrant" while the line works or no
// port is chosen, "Kadrant - Com3: unplugged" while the chosen port does not reach the board.
#pragma once

#include "serial/TLineStatus.h"

#include <string>

// hint: a further word for the operator, added after the reason when not empty.
inline std::string LineTitle(const char* portName, TLineStatus status, const std::string& hint) {
    std::string title = "Kadrant";
    if (!IsLineTrouble(status))
        return title;
    title += " - ";
    title += portName && *portName ? portName : "port";
    title += ": ";
    title += LineStatusReason(status);
    if (!hint.empty())
        title += " " + hint;
    return title;
}
