// The bridge's command line on any argument list: the input is split at zero bytes into
// arguments. Whatever it holds, parsing either refuses with a reason and leaves the result alone,
// or gives a directory, a numeric address that parses again, and a port in range.
#include "tools/remote/TRemoteOptions.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    TRemoteOptions defaults;
    defaults.Dir = "/home/op/.local/share/kadrant";
    TRemoteOptions out;
    out.Dir = "untouched";
    std::string error;
    if (!ParseRemoteArgs(args, defaults, out, error)) {
        Check(!error.empty());
        Check(out.Dir == "untouched");
        return 0;
    }
    Check(!out.Dir.empty());
    Check(out.Port >= 0 && out.Port <= 65535);
    unsigned char address[16];
    bool v6 = out.Host.find(':') != std::string::npos;
    Check(inet_pton(v6 ? AF_INET6 : AF_INET, out.Host.c_str(), address) == 1);
    // What it accepted reads back as itself.
    std::string host;
    int port = -1;
    std::string text = (v6 ? "[" + out.Host + "]" : out.Host) + ":" + std::to_string(out.Port);
    Check(ParseListenAddress(text, host, port) && host == out.Host && port == out.Port);
    return 0;
}
