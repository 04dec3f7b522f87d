// The serial devices this machine has now: USB serial and CDC-ACM adapters as udev names them
// under its by-id directory (a name that stays the same in any USB socket), what sysfs says they
// are, and whether a ttyS node has a UART behind it. The roots are fields so that tests can point
// them at fake trees.
#pragma once

#include "serial/PortPath.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace serialports {

struct TPortRoots {
    std::string ById = "/dev/serial/by-id";
    std::string Sysfs = "/sys";
    std::string Ports = portpath::PortsDir; // the directory of the ComN links
};

struct TAdapter {
    std::string ById;       // path of the by-id link
    std::string Device;     // the node it names, e.g. /dev/ttyUSB0
    std::string KernelName; // e.g. ttyUSB0
    dev_t Rdev = 0;
};

// Adapters plugged in now, in by-id name order, one per device: of several names for one device
// (interface variants) the first in that order. Dangling names and names that lead to anything
// but a ttyUSB or ttyACM character device are left out.
std::vector<TAdapter> FindAdapters(const TPortRoots& roots);

// What a tty is, from sysfs: "FT232R USB UART, serial A10KXXXX, /dev/ttyUSB0" for a USB adapter,
// "serial port, /dev/ttyS0" for a UART. devicePath ends the text.
std::string DescribeTty(const TPortRoots& roots, const std::string& kernelName,
                        const std::string& devicePath);

// True when the built-in port of a Com number has a UART behind it: sysfs gives it a port type
// other than unknown.
bool HasUart(const TPortRoots& roots, int comNumber);

// True for the kernel names of USB serial and CDC-ACM devices (ttyUSB<n>, ttyACM<n>).
bool IsAdapterName(const std::string& kernelName);

} // namespace serialports
