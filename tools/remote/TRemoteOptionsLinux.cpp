#include "tools/remote/TRemoteOptions.h"

#include <cstdlib>

TRemoteOptions RemoteDefaults() {
    TRemoteOptions defaults;
    defaults.Dir = DefaultRemoteDir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    return defaults;
}

const char* RemoteUsage() {
    return "usage: kadrant-remote [--dir D] [--listen ADDR:PORT]\n"
           "  --dir D             Kadrant's working directory (default: the launcher's,\n"
           "                      $XDG_DATA_HOME/kadrant or ~/.local/share/kadrant)\n"
           "  --listen ADDR:PORT  where the page and the API are served (default: 0.0.0.0:8960;\n"
           "                      127.0.0.1:8960 keeps them on this computer)\n";
}
