// The bridge's command line: `kadrant-remote [--dir D] [--listen ADDR:PORT]`. Parsing is kept
// apart from the program so that every odd argument list can be tried without starting a server.
#pragma once

#include <string>
#include <vector>

struct TRemoteOptions {
    std::string Dir;              // where kadrant.sock and remote-token live
    std::string Host = "0.0.0.0"; // numeric IPv4 or IPv6 address to listen on
    int Port = 8960;              // 0: any free port (the program prints the one it got)
    bool Help = false;
};

// Kadrant's per-user directory, as the desktop launcher makes it: $XDG_DATA_HOME/kadrant, or
// $HOME/.local/share/kadrant. Empty when neither variable is usable.
std::string DefaultRemoteDir(const char* xdgDataHome, const char* home);

// Parses the arguments after the program name. Options start from `defaults`; a later option
// overrides an earlier one. False with a one-line reason on anything unknown, missing or malformed.
bool ParseRemoteArgs(const std::vector<std::string>& args, const TRemoteOptions& defaults,
                     TRemoteOptions& out, std::string& error);

// "ADDR:PORT", "[IPv6]:PORT". The address must be numeric: a name would need a resolver at start.
bool ParseListenAddress(const std::string& text, std::string& host, int& port);

// This platform's defaults (TRemoteOptionsLinux.cpp, TRemoteOptionsWindows.cpp) and the usage
// text that names them.
TRemoteOptions RemoteDefaults();
const char* RemoteUsage();
