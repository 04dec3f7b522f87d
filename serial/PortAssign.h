// The ports/ directory of ComN links: what each Com number leads to now, a number for each USB
// serial adapter that has none yet (kept for good: the link names the adapter's by-id path, which
// does not depend on the USB socket), and the changes an operator makes by hand.
//
// Links made by hand are never touched; an entry that is not a link takes its number and is left
// alone. Assignment holds a lock on the directory and creates each link under a temporary name
// that is then renamed without replacing anything, so two programs assigning at once never give
// one adapter two numbers or one number twice.
#pragma once

#include "serial/SerialAdapters.h"

#include <string>
#include <vector>

namespace serialports {

constexpr int FirstAssignedCom = 3; // Com1 and Com2 stay for the ports a PC has built in

struct TComPort {
    enum TEntry { NoEntry, Link, NotALink };

    int Number = 0;
    TEntry Entry = NoEntry;
    std::string LinkTarget; // the link's text
    std::string Device;     // the node the name leads to now; empty when none
    bool Present = false;   // a character device is behind the name now
    bool Adapter = false;   // the link names a USB adapter (plugged in or not)
    bool ById = false;      // ... by its by-id name: the number has an adapter of its own
    std::string Description;
};

// Com1 to Com26, in order.
std::vector<TComPort> DescribePorts(const TPortRoots& roots);

struct TAssignment {
    int Number = 0;
    TAdapter Adapter;
};

// Gives each adapter plugged in that no ComN leads to the lowest Com3..Com26 with no entry in
// ports/ and no UART behind its ttyS node. Returns the links made; none when there is no by-id
// directory, the directory cannot be written or another program holds the lock for long.
std::vector<TAssignment> AssignAdapters(const TPortRoots& roots);

// Adapters plugged in that no Com number leads to.
std::vector<TAdapter> AdaptersWithoutNumber(const TPortRoots& roots);

// For a chosen port with no adapter of its own (no link, or a link to nothing that is not an
// adapter's by-id name): "the USB adapter is Com3" (or "the USB adapters are Com3 and Com5") when
// adapters are plugged in under other numbers; otherwise empty. A number whose own adapter is
// merely unplugged gets no hint: another adapter is not what it waits for.
std::string AdapterHint(int chosenPort, const std::vector<TComPort>& ports);
std::string AdapterHint(int chosenPort, const TPortRoots& roots = {});

// By hand: links ComN to a device (a path, or a name in the by-id directory; a device that has a
// by-id name is linked by that name). Fails, changing nothing, with a one-line reason.
bool AssignPort(const TPortRoots& roots, int number, const std::string& device, std::string& error);
// Removes a ComN link to an adapter or a serial line; other entries are refused with a one-line
// reason.
bool ForgetPort(const TPortRoots& roots, int number, std::string& error);

} // namespace serialports
