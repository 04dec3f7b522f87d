// Where a port name leads on this system. A link "ports/<name>" in the current directory wins (it
// is how a board simulator or a USB adapter is wired in); otherwise ComN is /dev/ttyS(N-1). Other
// names (the Digi card ports) only exist through a link.
#pragma once

#include <string>
#include <vector>

namespace portpath {

// The directory of the links, relative to the current one.
inline constexpr char PortsDir[] = "ports";
// "ports/<name>", the link that a port name is looked up through first.
std::string PortLink(const std::string& portName);
// Whether a path is such a link.
bool IsPortLink(const std::string& path);

// Device path for the name, or an empty string when the name leads nowhere.
std::string DevicePathFor(const char* portName);
// Every path the name may lead through, whether it exists now or not: the link, then the
// built-in port. Empty when the name can lead nowhere.
std::vector<std::string> CandidatePaths(const char* portName);

// The paths a link passes through, itself first, each relative hop taken from its own directory
// (at most 16 hops).
std::vector<std::string> LinkChain(const std::string& link);
// The path taken from the current directory when it is relative.
std::string Absolute(const std::string& path);

} // namespace portpath
