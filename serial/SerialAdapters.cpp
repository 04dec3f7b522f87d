#include "serial/SerialAdapters.h"

#include "serial/PortNames.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace serialports {

namespace {

std::string ReadLink(const std::string& path) {
    char target[PATH_MAX];
    ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return {};
    return std::string(target, static_cast<size_t>(length));
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Removes "." and "x/.." from an absolute or relative path without touching the file system, so
// that a relative link target keeps the name it gives (the kernel name of the node).
std::string Lexical(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (path[0] != '/')
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result = path[0] == '/' ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i)
        result += (i ? "/" : "") + parts[i];
    return result.empty() ? "." : result;
}

// First line of a sysfs attribute, without its line end; empty when it cannot be read.
std::string Attribute(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

} // namespace

bool IsAdapterName(const std::string& kernelName) {
    if (kernelName.size() < 7 ||
        (kernelName.compare(0, 6, "ttyUSB") != 0 && kernelName.compare(0, 6, "ttyACM") != 0))
        return false;
    return std::all_of(kernelName.begin() + 6, kernelName.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<TAdapter> FindAdapters(const TPortRoots& roots) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(roots.ById.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (std::strncmp(entry->d_name, "usb-", 4) == 0)
                names.emplace_back(entry->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());

    std::vector<TAdapter> adapters;
    for (const std::string& name : names) {
        const std::string path = roots.ById + "/" + name;
        const std::string target = ReadLink(path);
        if (target.empty())
            continue;
        // udev's link names the node itself; its name is the kernel's name of the device.
        const std::string node = Lexical(target[0] == '/' ? target : roots.ById + "/" + target);
        struct stat info;
        if (!IsAdapterName(BaseName(node)) || stat(path.c_str(), &info) != 0 ||
            !S_ISCHR(info.st_mode))
            continue;
        const bool known = std::any_of(adapters.begin(), adapters.end(),
                                       [&](const TAdapter& a) { return a.Rdev == info.st_rdev; });
        if (!known)
            adapters.push_back({path, node, BaseName(node), info.st_rdev});
    }
    return adapters;
}

std::string DescribeTty(const TPortRoots& roots, const std::string& kernelName,
                        const std::string& devicePath) {
    const std::string tty = roots.Sysfs + "/class/tty/" + kernelName;
    if (!IsAdapterName(kernelName))
        return "serial port, " + devicePath;
    // device/ is the USB interface (CDC-ACM) or a port below it (USB serial); the USB device
    // with its product and serial number lies one or two levels further up.
    char resolved[PATH_MAX];
    std::string interfaceName, product, serial;
    if (realpath((tty + "/device").c_str(), resolved) != nullptr) {
        std::string dir = resolved;
        for (int level = 0; level < 4 && dir.size() > 1; ++level) {
            if (interfaceName.empty())
                interfaceName = Attribute(dir + "/interface");
            if (Exists(dir + "/idVendor")) {
                product = Attribute(dir + "/product");
                serial = Attribute(dir + "/serial");
                break;
            }
            dir = dir.substr(0, dir.find_last_of('/'));
        }
    }
    std::string text = !product.empty()         ? product
                       : !interfaceName.empty() ? interfaceName
                                                : std::string("USB serial adapter");
    if (!serial.empty())
        text += ", serial " + serial;
    return text + ", " + devicePath;
}

bool HasUart(const TPortRoots& roots, int comNumber) {
    const std::string type =
        Attribute(roots.Sysfs + "/class/tty/" + portnames::BuiltInTty(comNumber) + "/type");
    return !type.empty() && std::atoi(type.c_str()) != 0;
}

} // namespace serialports
