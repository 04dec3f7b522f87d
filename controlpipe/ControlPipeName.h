// The control channel's name on Windows: one named pipe per working directory, so that two
// Kadrants in two directories do not meet, as two kadrant.sock files do not on Linux.
#pragma once

#include <string>

namespace controlpipe {

// "\\.\pipe\kadrant-control-<16 hex digits>": a hash of the directory's absolute path, taken
// without regard to case and to the kind of slash (Windows' paths are neither).
std::string PipeNameFor(const std::string& workingDirectory);

} // namespace controlpipe
