// How the chosen serial line stands, in words for the operator and in short names for machines.
#pragma once

enum class TLineStatus {
    Off,          // no board or no port chosen: a choice, not trouble
    Working,      // the port is open and takes what is written
    Unplugged,    // the device went away under an open port, or has not come back since
    NoSuchPort,   // the name leads to no device
    InUse,        // another program holds the port
    NoPermission, // the user may not open the device
    NotSerial,    // the name leads to something that is not a serial line
    Refused,      // the device would not take the line settings
};

// Plain reason for the window title: "unplugged", "in use by another program"...; the empty text
// for Off and Working.
const char* LineStatusReason(TLineStatus status);
// Short name: "off", "ok", "unplugged", "no-such-port", "in-use", "no-permission", "not-serial",
// "refused".
const char* LineStatusName(TLineStatus status);
// True for the states in which the chosen port does not reach the board.
inline bool IsLineTrouble(TLineStatus status) {
    return status != TLineStatus::Off && status != TLineStatus::Working;
}

// What a failed retry says: a port that worked since it was chosen and now leads to no device is
// unplugged; one that never opened (a wrong number, an adapter not plugged in yet) is still no
// such port.
inline TLineStatus RetryStatus(TLineStatus openResult, bool workedSinceChosen) {
    return openResult == TLineStatus::NoSuchPort && workedSinceChosen ? TLineStatus::Unplugged
                                                                      : openResult;
}
