// The port list on Windows: Windows numbers its COM ports itself and keeps each number with its
// adapter, so nothing is assigned here; a present port is described by its friendly name from the
// SetupAPI ("USB Serial Port (COM5)"), or, where that finds nothing (older drivers, Wine), by the
// device that HARDWARE\DEVICEMAP\SERIALCOMM names for it.
#include "serial/PortAssign.h"

#include "serial/PortNames.h"
#include "serial/PortPath.h"

#include <map>
#include <windows.h>
// After windows.h: the class GUIDs are defined, not only declared, with initguid.h first.
#include <devguid.h>
#include <initguid.h>
#include <setupapi.h>

namespace serialports {

namespace {

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

// Com number -> friendly name, from the Ports device class.
void AddFromSetupApi(std::map<int, std::string>& found) {
    HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t portName[32] = {};
        DWORD size = sizeof portName - sizeof(wchar_t);
        const bool named = RegQueryValueExW(key, L"PortName", nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(portName), &size) == 0;
        RegCloseKey(key);
        const int number = named ? portnames::ComNumberOf(Narrow(portName)) : -1;
        if (!portnames::IsComNumber(number))
            continue;
        wchar_t friendly[256] = {};
        if (SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                              reinterpret_cast<BYTE*>(friendly),
                                              sizeof friendly - sizeof(wchar_t), nullptr))
            found[number] = Narrow(friendly);
        else
            found[number] = "serial port";
    }
    SetupDiDestroyDeviceInfoList(devices);
}

// The ports the SetupAPI did not name: "serial port, \Device\Serial0".
void AddFromSerialComm(std::map<int, std::string>& found) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        0)
        return;
    for (DWORD index = 0;; ++index) {
        wchar_t device[256] = {};
        wchar_t port[32] = {};
        DWORD deviceSize = 255;
        DWORD portSize = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, device, &deviceSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(port), &portSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != 0 || type != REG_SZ)
            continue;
        const int number = portnames::ComNumberOf(Narrow(port));
        if (portnames::IsComNumber(number) && found.count(number) == 0)
            found[number] = "serial port, " + Narrow(device);
    }
    RegCloseKey(key);
}

} // namespace

std::vector<TComPort> DescribePorts(const TPortRoots&) {
    std::map<int, std::string> found;
    AddFromSetupApi(found);
    AddFromSerialComm(found);
    std::vector<TComPort> ports;
    for (int number = portnames::FirstCom; number <= portnames::LastCom; ++number) {
        TComPort port;
        port.Number = number;
        const auto named = found.find(number);
        if (named != found.end()) {
            port.Present = true;
            port.Device = portpath::DevicePathFor(portnames::ComName(number).c_str());
            port.Description = named->second;
        }
        ports.push_back(port);
    }
    return ports;
}

std::vector<TAssignment> AssignAdapters(const TPortRoots&) {
    return {};
}

std::vector<TAdapter> AdaptersWithoutNumber(const TPortRoots&) {
    return {};
}

std::string AdapterHint(int, const std::vector<TComPort>&) {
    return {};
}

std::string AdapterHint(int, const TPortRoots&) {
    return {};
}

bool AssignPort(const TPortRoots&, int, const std::string&, std::string& error) {
    error = "Windows numbers its COM ports itself (Device Manager, the port's advanced settings)";
    return false;
}

bool ForgetPort(const TPortRoots& roots, int number, std::string& error) {
    return AssignPort(roots, number, {}, error);
}

} // namespace serialports
