#include "serial/PortPath.h"

#include "serial/PortNames.h"

#include <climits>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace portpath {

std::string PortLink(const std::string& portName) {
    return std::string(PortsDir) + "/" + portName;
}

bool IsPortLink(const std::string& path) {
    return path.rfind(PortLink(""), 0) == 0;
}

std::vector<std::string> CandidatePaths(const char* portName) {
    if (portName == nullptr || *portName == '\0' || std::strchr(portName, '/') != nullptr)
        return {};
    std::vector<std::string> paths{PortLink(portName)};
    if (const int number = portnames::ComNumberOf(portName); portnames::IsComNumber(number))
        paths.push_back(portnames::BuiltInDevice(number));
    return paths;
}

std::string DevicePathFor(const char* portName) {
    const std::vector<std::string> paths = CandidatePaths(portName);
    struct stat info;
    if (!paths.empty() && lstat(paths[0].c_str(), &info) == 0)
        return paths[0];
    return paths.size() > 1 ? paths[1] : std::string();
}

static std::string ReadLink(const std::string& path) {
    char target[PATH_MAX];
    ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

std::vector<std::string> LinkChain(const std::string& link) {
    std::vector<std::string> chain{link};
    for (int hop = 0; hop < 16; ++hop) {
        struct stat info;
        if (lstat(chain.back().c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            break;
        const std::string target = ReadLink(chain.back());
        if (target.empty())
            break;
        const std::filesystem::path from = std::filesystem::path(chain.back()).parent_path();
        const std::string next =
            target[0] == '/' || from.empty() ? target : (from / target).string();
        chain.push_back(std::filesystem::path(next).lexically_normal().string());
    }
    return chain;
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr)
        return path;
    return std::string(cwd) + "/" + path;
}

} // namespace portpath
