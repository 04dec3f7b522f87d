// Where a port name leads on this system. A link "ports/<name>" in the current directory wins (it
// is how a board simulator or a USB adapter is wired in); otherwise ComN is /dev/ttyS(N-1). Other
// names (the Digi card ports) only exist through a link.
#pragma once

#include <string>

namespace portpath {

// Device path for the name, or an empty string when the name leads nowhere.
std::string DevicePathFor(const char* portName);

} // namespace portpath
