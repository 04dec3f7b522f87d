#include "serial/PortNames.h"

#include <algorithm>
#include <cstdio>

namespace portnames {

namespace {

struct TDigiGroup {
    int firstCode;
    const char* prefix;
};

constexpr TDigiGroup DigiGroups[] = {{31, "Digi1A"}, {51, "Digi1B"},  {71, "Digi1C"},
                                     {91, "Digi2A"}, {111, "Digi2B"}, {131, "Digi2C"}};
constexpr int DigiPorts = 16;

} // namespace

bool PortNameInto(int portCode, bool withDigi, char (&name)[64]) {
    if (portCode > LastPortCode)
        return false;
    name[0] = '\0';
    if (portCode == 0) {
        std::snprintf(name, sizeof name, "N.C.");
    } else if (IsComNumber(portCode)) {
        std::snprintf(name, sizeof name, "Com%d", portCode);
    } else if (withDigi) {
        for (const TDigiGroup& group : DigiGroups)
            if (portCode >= group.firstCode && portCode < group.firstCode + DigiPorts)
                std::snprintf(name, sizeof name, "%s%d", group.prefix,
                              portCode - group.firstCode + 1);
    }
    return true;
}

std::string ComName(int number) {
    return "Com" + std::to_string(number);
}

int ComNumberOf(const std::string& name) {
    std::string digits = name;
    if (name.size() > 3 && (name.compare(0, 3, "Com") == 0 || name.compare(0, 3, "COM") == 0 ||
                            name.compare(0, 3, "com") == 0))
        digits = name.substr(3);
    if (digits.empty() || digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(digits);
}

std::string ComRange() {
    return ComName(FirstCom) + " to " + ComName(LastCom);
}

std::string BuiltInTty(int number) {
    return "ttyS" + std::to_string(number - 1);
}

std::string BuiltInDevice(int number) {
    return "/dev/" + BuiltInTty(number);
}

} // namespace portnames
