#include "tools/ports/TPortsCommand.h"

#include "serial/PortAssign.h"
#include "serial/PortNames.h"
#include "serial/PortPath.h"

#include <algorithm>
#include <cstdlib>

using namespace serialports;

namespace {

const char* const Usage = "usage: kadrant-ports [--dir D] [list]\n"
                          "       kadrant-ports [--dir D] assign ComN DEVICE\n"
                          "       kadrant-ports [--dir D] forget ComN\n";

void List(const TPortRoots& roots, std::ostream& out) {
    const std::vector<TComPort> ports = DescribePorts(roots);
    for (const TComPort& port : ports) {
        out << portnames::ComName(port.Number) << '\t'
            << (port.Entry == TComPort::Link
                    ? portpath::PortLink(portnames::ComName(port.Number)) + " -> " + port.LinkTarget
                : port.Entry == TComPort::NotALink ? std::string("not a link")
                                                   : std::string("-"))
            << '\t' << (port.Device.empty() ? "-" : port.Device) << '\t'
            << (port.Description.empty() ? "-" : port.Description) << '\t'
            << (port.Present ? "present" : "absent") << '\n';
    }
    const bool full =
        std::none_of(ports.begin() + FirstAssignedCom - 1, ports.end(), [&](const TComPort& port) {
            return port.Entry == TComPort::NoEntry && !port.Present;
        });
    for (const TAdapter& adapter : AdaptersWithoutNumber(roots)) {
        out << adapter.ById << " (" << DescribeTty(roots, adapter.KernelName, adapter.Device)
            << "): no Com number"
            << (full ? ": Com3 to Com26 are all taken\n"
                     : " yet: Kadrant gives it one when it starts or when its port list opens\n");
    }
}

int ParseNumber(const std::string& name, std::ostream& err) {
    const int number = portnames::ComNumberOf(name);
    if (number < 0)
        err << "kadrant-ports: " << name << " is not a Com number (" << portnames::ComRange()
            << ")\n";
    return number;
}

} // namespace

std::string UserDirectory() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data != '\0')
        return std::string(data) + "/kadrant";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.local/share/kadrant";
}

int RunPortsCommand(const std::vector<std::string>& args, const TPortRoots& devices,
                    const std::string& defaultDir, std::ostream& out, std::ostream& err) {
    std::string dir = defaultDir;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--dir" && i + 1 < args.size()) {
            dir = args[++i];
        } else if (args[i] == "--help" || args[i] == "-h") {
            out << Usage;
            return 0;
        } else {
            words.push_back(args[i]);
        }
    }
    TPortRoots roots = devices;
    roots.Ports = dir + "/ports";
    const std::string command = words.empty() ? "list" : words[0];
    std::string error;
    if (command == "list" && words.size() <= 1) {
        List(roots, out);
        return 0;
    }
    if (command == "assign" && words.size() == 3) {
        const int number = ParseNumber(words[1], err);
        if (number < 0)
            return 1;
        if (!AssignPort(roots, number, words[2], error)) {
            err << "kadrant-ports: " << error << '\n';
            return 1;
        }
        out << portnames::ComName(number) << " -> " << words[2] << '\n';
        return 0;
    }
    if (command == "forget" && words.size() == 2) {
        const int number = ParseNumber(words[1], err);
        if (number < 0)
            return 1;
        if (!ForgetPort(roots, number, error)) {
            err << "kadrant-ports: " << error << '\n';
            return 1;
        }
        out << portnames::ComName(number) << " forgotten\n";
        return 0;
    }
    err << Usage;
    return 2;
}
