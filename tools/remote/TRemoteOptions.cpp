#include "tools/remote/TRemoteOptions.h"

#include "tools/remote/SocketHeaders.h"

namespace {

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5)
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > 65535)
        return false;
    port = value;
    return true;
}

bool IsNumericAddress(const std::string& host, int family) {
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(family, host.c_str(), buffer) == 1;
}

} // namespace

std::string DefaultRemoteDir(const char* xdgDataHome, const char* home) {
    // As the launcher: an empty XDG_DATA_HOME counts as unset.
    if (xdgDataHome != nullptr && *xdgDataHome == '/')
        return std::string(xdgDataHome) + "/kadrant";
    if (home != nullptr && *home == '/')
        return std::string(home) + "/.local/share/kadrant";
    return {};
}

bool ParseListenAddress(const std::string& text, std::string& host, int& port) {
    std::string::size_type colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    std::string address = text.substr(0, colon);
    int family = AF_INET;
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
        family = AF_INET6;
    }
    if (address.find('\0') != std::string::npos || !IsNumericAddress(address, family))
        return false;
    if (!ParsePort(text.substr(colon + 1), port))
        return false;
    host = address;
    return true;
}

bool ParseRemoteArgs(const std::vector<std::string>& args, const TRemoteOptions& defaults,
                     TRemoteOptions& out, std::string& error) {
    TRemoteOptions options = defaults;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (name == "-h" || name == "--help") {
            options.Help = true;
            continue;
        }
        if (name.rfind("--", 0) == 0) {
            std::string::size_type equals = name.find('=');
            if (equals != std::string::npos) {
                value = name.substr(equals + 1);
                name = name.substr(0, equals);
                hasValue = true;
            }
        }
        if (name != "--dir" && name != "--listen") {
            error = "unknown argument: " + args[i];
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (name == "--dir") {
            if (value.empty() || value.find('\0') != std::string::npos) {
                error = "--dir needs a directory";
                return false;
            }
            options.Dir = value;
        } else if (!ParseListenAddress(value, options.Host, options.Port)) {
            error = "--listen wants ADDR:PORT with a numeric address, e.g. 127.0.0.1:8960, "
                    "not: " +
                    value;
            return false;
        }
    }
    if (options.Dir.empty() && !options.Help) {
        error = "no directory: set HOME or give --dir";
        return false;
    }
    out = options;
    return true;
}
