// The names of the ports, in one place: the port list's names by port code ("N.C.", Com1 to
// Com26, and the Digi card ports that exist only through a link), the Com numbers an operator may
// choose, and the built-in port each Com number stands for when no link says otherwise
// (ComN is /dev/ttyS(N-1)).
#pragma once

#include <string>

namespace portnames {

constexpr int FirstCom = 1;
constexpr int LastCom = 26;
constexpr int LastPortCode = 146; // the end of the list: the last Digi card port

inline bool IsComNumber(int number) {
    return number >= FirstCom && number <= LastCom;
}

// The name of a port code: "N.C." for 0, "ComN" for 1 to 26, the Digi names when asked for them,
// the empty text for codes without a name; false past the end of the list.
bool PortNameInto(int portCode, bool withDigi, char (&name)[64]);

// "Com5" for 5 (whatever the number; the range is the caller's to check).
std::string ComName(int number);
// "Com5", "com5", "COM5" or "5" gives 5 (range not checked); -1 for anything else.
int ComNumberOf(const std::string& name);
// "Com1 to Com26", for messages.
std::string ComRange();

// The built-in port of a Com number: its kernel name (ttyS4 for Com5) and its device.
std::string BuiltInTty(int number);
std::string BuiltInDevice(int number);

} // namespace portnames
