// kadrant-ports: lists what each Com number leads to and changes the ComN links of a directory.
#pragma once

#include "serial/SerialAdapters.h"

#include <ostream>
#include <string>
#include <vector>

// The per-user directory the launcher starts Kadrant in: $XDG_DATA_HOME/kadrant, else
// $HOME/.local/share/kadrant.
std::string UserDirectory();

// Runs one command line (without the program name). devices gives the by-id and sysfs roots; the
// ports directory is <dir>/ports, dir being --dir D or defaultDir. 0 on success; 1 with one line
// on err when the command fails, and then nothing was changed; 2 for a bad command line.
int RunPortsCommand(const std::vector<std::string>& args, const serialports::TPortRoots& devices,
                    const std::string& defaultDir, std::ostream& out, std::ostream& err);
