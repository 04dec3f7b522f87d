// On Windows ComN is the system's own COMn: Windows numbers its ports and keeps a number with its
// adapter, so there are no ports/ links and the Digi names lead nowhere.
#include "serial/PortPath.h"

#include "serial/PortNames.h"

namespace portpath {

// COM names are Windows' own: no path leads through a ports/ link there.
bool IsPortLink(const std::string&) {
    return false;
}

std::vector<std::string> CandidatePaths(const char* portName) {
    if (portName == nullptr)
        return {};
    const int number = portnames::ComNumberOf(portName);
    if (!portnames::IsComNumber(number))
        return {};
    return {"\\\\.\\COM" + std::to_string(number)};
}

std::string DevicePathFor(const char* portName) {
    const std::vector<std::string> paths = CandidatePaths(portName);
    return paths.empty() ? std::string() : paths.front();
}

std::string Absolute(const std::string& path) {
    return path;
}

} // namespace portpath
