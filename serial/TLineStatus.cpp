#include "serial/TLineStatus.h"

const char* LineStatusReason(TLineStatus status) {
    switch (status) {
    case TLineStatus::Off:
    case TLineStatus::Working:
        return "";
    case TLineStatus::Unplugged:
        return "unplugged";
    case TLineStatus::NoSuchPort:
        return "no such port";
    case TLineStatus::InUse:
        return "in use by another program";
    case TLineStatus::NoPermission:
        return "no permission (join the dialout group)";
    case TLineStatus::NotSerial:
        return "not a serial port";
    case TLineStatus::Refused:
        return "refused the line settings";
    }
    return "";
}

const char* LineStatusName(TLineStatus status) {
    switch (status) {
    case TLineStatus::Off:
        return "off";
    case TLineStatus::Working:
        return "ok";
    case TLineStatus::Unplugged:
        return "unplugged";
    case TLineStatus::NoSuchPort:
        return "no-such-port";
    case TLineStatus::InUse:
        return "in-use";
    case TLineStatus::NoPermission:
        return "no-permission";
    case TLineStatus::NotSerial:
        return "not-serial";
    case TLineStatus::Refused:
        return "refused";
    }
    return "off";
}
