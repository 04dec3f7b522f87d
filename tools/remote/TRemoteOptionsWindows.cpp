#include "tools/remote/TRemoteOptions.h"

#include <filesystem>

// Kadrant names its pipe after its working directory, and the bridge is started beside it (the
// same shortcut's "Start in"). Without TLS on Windows, the pages stay on this computer unless
// --listen says otherwise.
TRemoteOptions RemoteDefaults() {
    TRemoteOptions defaults;
    std::error_code ignored;
    std::u8string here = std::filesystem::current_path(ignored).u8string();
    defaults.Dir.assign(here.begin(), here.end());
    defaults.Host = "127.0.0.1";
    return defaults;
}

const char* RemoteUsage() {
    return "usage: kadrant-remote [--dir D] [--listen ADDR:PORT]\n"
           "  --dir D             Kadrant's working directory (default: the current directory)\n"
           "  --listen ADDR:PORT  where the page and the API are served (default: 127.0.0.1:8960,\n"
           "                      this computer only; 0.0.0.0:8960 opens them to the network,\n"
           "                      unencrypted: this build has no TLS)\n";
}
