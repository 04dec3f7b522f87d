// Test support: a fake by-id directory, device nodes and sysfs tree in a temporary directory, as
// udev and the kernel lay them out for USB serial adapters. Each adapter's node is a link to a
// real pseudo-terminal (a character device of its own), so adapters are told apart by device
// number exactly as real ones, and a program can write to the adapter and the test read it.
#pragma once

#include "serial/SerialAdapters.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fakeserial {

namespace fs = std::filesystem;

class TFakeSerialTree {
public:
    TFakeSerialTree() {
        char pattern[] = "/tmp/kadrant-tree-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("mkdtemp");
        Root = pattern;
        fs::permissions(Root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        fs::create_directories(Root / "dev/serial/by-id");
        fs::create_directories(Root / "sys/class/tty");
        fs::create_directories(Root / "work/ports");
        Roots.ById = (Root / "dev/serial/by-id").string();
        Roots.Sysfs = (Root / "sys").string();
        Roots.Ports = (Root / "work/ports").string();
    }
    ~TFakeSerialTree() {
        for (auto& [name, fd] : Masters)
            close(fd);
        std::error_code ignored;
        fs::remove_all(Root, ignored);
    }
    TFakeSerialTree(const TFakeSerialTree&) = delete;
    TFakeSerialTree& operator=(const TFakeSerialTree&) = delete;

    // Plugs an adapter in as kernel device `kernel` (ttyUSB0, ttyACM1...) under the by-id name.
    // The same by-id name plugged again later is the same adapter on another socket.
    void Plug(const std::string& byId, const std::string& kernel,
              const std::string& product = "FT232R USB UART",
              const std::string& serial = "A10KXXXX", const std::string& interfaceName = "") {
        const std::string pty = PtyFor(byId);
        fs::create_symlink(pty, Root / "dev" / kernel);
        fs::create_symlink("../../" + kernel, Root / "dev/serial/by-id" / byId);
        const fs::path usb = Root / "sys/devices/usb1" / ("1-" + kernel);
        const fs::path iface = usb / "1-1:1.0";
        fs::create_directories(iface / kernel);
        Write(usb / "idVendor", "0403\n");
        if (!product.empty())
            Write(usb / "product", product + "\n");
        if (!serial.empty())
            Write(usb / "serial", serial + "\n");
        if (!interfaceName.empty())
            Write(iface / "interface", interfaceName + "\n");
        fs::create_directories(Root / "sys/class/tty" / kernel);
        // A USB serial port sits below its interface; a CDC-ACM tty is the interface itself.
        const fs::path device = kernel.rfind("ttyACM", 0) == 0 ? iface : iface / kernel;
        fs::create_symlink(device, Root / "sys/class/tty" / kernel / "device");
    }

    // Unplugs: the by-id name, the node and the sysfs entries go, as udev and the kernel do.
    void Unplug(const std::string& byId, const std::string& kernel) {
        fs::remove(Root / "dev/serial/by-id" / byId);
        fs::remove(Root / "dev" / kernel);
        fs::remove_all(Root / "sys/class/tty" / kernel);
        fs::remove_all(Root / "sys/devices/usb1" / ("1-" + kernel));
    }

    // A ttyS node in sysfs; type 0 is a node with no UART behind it.
    void SerialPort(int index, int type) {
        const fs::path tty = Root / "sys/class/tty" / ("ttyS" + std::to_string(index));
        fs::create_directories(tty);
        Write(tty / "type", std::to_string(type) + "\n");
    }

    // The board end of an adapter's line.
    int Master(const std::string& byId) { return Masters.at(byId); }
    std::string PtyFor(const std::string& byId) {
        auto it = Masters.find(byId);
        if (it == Masters.end()) {
            int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
                throw std::runtime_error("posix_openpt");
            it = Masters.emplace(byId, master).first;
        }
        return ptsname(it->second);
    }

    std::string Node(const std::string& kernel) const { return (Root / "dev" / kernel).string(); }
    std::string ById(const std::string& name) const { return Roots.ById + "/" + name; }
    std::string Port(int number) const { return Roots.Ports + "/Com" + std::to_string(number); }

    static void Write(const fs::path& path, const std::string& text) {
        std::ofstream(path) << text;
    }

    fs::path Root;
    serialports::TPortRoots Roots;

private:
    std::map<std::string, int> Masters;
};

// Where ports/ComN leads: the link's text, or "" when there is no link.
inline std::string LinkOf(const std::string& path) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error)))
        return "";
    return fs::read_symlink(path, error).string();
}

} // namespace fakeserial
