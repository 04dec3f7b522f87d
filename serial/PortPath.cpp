#include "serial/PortPath.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace portpath {

static int ComNumber(const char* name) {
    if (std::strncmp(name, "Com", 3) != 0)
        return 0;
    const char* digits = name + 3;
    if (*digits < '1' || *digits > '9')
        return 0;
    char* end = nullptr;
    long number = std::strtol(digits, &end, 10);
    if (*end != '\0' || number < 1 || number > 256)
        return 0;
    return static_cast<int>(number);
}

std::string DevicePathFor(const char* portName) {
    if (portName == nullptr || *portName == '\0' || std::strchr(portName, '/') != nullptr)
        return {};
    std::string link = std::string("ports/") + portName;
    struct stat info;
    if (lstat(link.c_str(), &info) == 0)
        return link;
    int number = ComNumber(portName);
    if (number == 0)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}

} // namespace portpath
