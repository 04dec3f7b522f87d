// The Linux side of the serial line: a tty device found through ports/ or /dev/ttyS, locked
// (flock, TIOCEXCL) and set with termios.
#include "serial/TSerial.h"

#include "serial/PortPath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedFor(int baudRate) {
    switch (baudRate) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return 0;
    }
}

tcflag_t SizeFor(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    case 8:
        return CS8;
    default:
        return 0;
    }
}

const char* ReasonFor(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "permission denied (the user must be in the dialout group)";
    case EBUSY:
    case EWOULDBLOCK:
        return "in use by another program";
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return "no such device";
    default:
        return std::strerror(error);
    }
}

TLineStatus StatusFor(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return TLineStatus::NoPermission;
    case EBUSY:
    case EWOULDBLOCK:
        return TLineStatus::InUse;
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return TLineStatus::NoSuchPort;
    case EIO:
        return TLineStatus::Unplugged; // a tty that has been hung up
    case ENOTDIR:
    case ELOOP:
        return TLineStatus::NotSerial;
    default:
        return TLineStatus::Refused;
    }
}

} // namespace

int TSerial::OpenDevice(const char* portName) {
    std::string path = PinnedPath.empty() ? portpath::DevicePathFor(portName) : PinnedPath;
    TriedPath = path;
    if (path.empty()) {
        Fail(TLineStatus::NoSuchPort, portName, nullptr,
             "no device for this name (make a link ports/<name>)");
        return 0;
    }
    // A regular file or a directory behind the name is not a port: never write into it.
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        const int error = errno;
        Fail(StatusFor(error), portName, path.c_str(), ReasonFor(error));
        return 0;
    }
    if (!S_ISCHR(info.st_mode)) {
        Fail(TLineStatus::NotSerial, portName, path.c_str(), "not a character device");
        return 0;
    }
    Fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0) {
        const int error = errno;
        Fail(StatusFor(error), portName, path.c_str(), ReasonFor(error));
        return 0;
    }
    // The node may have been swapped between stat and open.
    if (fstat(Fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        ::close(Fd);
        Fd = -1;
        Fail(TLineStatus::NotSerial, portName, path.c_str(), "not a character device");
        return 0;
    }
    if (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(Fd);
        Fd = -1;
        Fail(StatusFor(error), portName, path.c_str(), ReasonFor(error));
        return 0;
    }
    if (ioctl(Fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        int error = errno;
        ReleaseDevice();
        Fail(StatusFor(error), portName, path.c_str(), ReasonFor(error));
        return 0;
    }
    if (!ApplyLineSettings(portName, path.c_str())) {
        ReleaseDevice();
        return 0;
    }
    return 1;
}

int TSerial::ApplyLineSettings(const char* portName, const char* path) {
    termios current{};
    if (tcgetattr(Fd, &current) != 0) {
        Fail(TLineStatus::NotSerial, portName, path, "not a serial line");
        return 0;
    }
    // A ttyS node with no UART behind it reports an unknown port type.
    serial_struct hardware{};
    if (ioctl(Fd, TIOCGSERIAL, &hardware) == 0 && hardware.type == PORT_UNKNOWN) {
        Fail(TLineStatus::NoSuchPort, portName, path, "no serial port hardware behind this device");
        return 0;
    }
    speed_t speed = SpeedFor(BaudRate);
    tcflag_t size = SizeFor(DataBits);
    if (speed == 0 || size == 0 || Parity < 0 || Parity > 4 || StopBits < 0 || StopBits > 2) {
        Fail(TLineStatus::Refused, portName, path, "unsupported line parameters");
        return 0;
    }
    termios wanted = current;
    cfsetispeed(&wanted, speed);
    cfsetospeed(&wanted, speed);
    wanted.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    wanted.c_cflag |= size | CLOCAL | CREAD;
    if (StopBits != 0)
        wanted.c_cflag |= CSTOPB;
    static const tcflag_t parityFlags[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                           PARENB | CMSPAR};
    wanted.c_cflag |= parityFlags[Parity];
    // Bytes leave exactly as given (CR LF stays CR LF). Nothing received may act on the line: no
    // XON/XOFF (one noise byte 0x13 would hold every later message), no echo, no signal
    // characters, no break that flushes what waits to go out.
    wanted.c_oflag &= ~OPOST;
    wanted.c_iflag &= ~(IXON | IXOFF | IXANY | BRKINT);
    wanted.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    wanted.c_cc[VMIN] = 0;
    wanted.c_cc[VTIME] = 0;
    termios applied{};
    if (tcsetattr(Fd, TCSANOW, &wanted) != 0 || tcgetattr(Fd, &applied) != 0 ||
        cfgetospeed(&applied) != speed || (applied.c_cflag & CSIZE) != size ||
        (applied.c_cflag & (PARENB | PARODD)) != (wanted.c_cflag & (PARENB | PARODD)) ||
        (applied.c_cflag & CSTOPB) != (wanted.c_cflag & CSTOPB) || (applied.c_oflag & OPOST) ||
        (applied.c_iflag & (IXON | IXOFF | IXANY)) || (applied.c_lflag & (ISIG | ICANON | ECHO))) {
        Fail(TLineStatus::Refused, portName, path, "the device refused the line settings");
        return 0;
    }
    // After the settings, which some drivers use to drop the modem lines. A pseudo-terminal has
    // no modem lines and refuses the request; that is no failure.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(Fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        const int error = errno;
        Fail(StatusFor(error), portName, path, ReasonFor(error));
        return 0;
    }
    return 1;
}

void TSerial::ReleaseDevice() {
    // Unsent bytes would hold close(2) for up to 30 s on a stalled line.
    tcflush(Fd, TCOFLUSH);
    ioctl(Fd, TIOCNXCL);
    flock(Fd, LOCK_UN);
    ::close(Fd);
    Fd = -1;
}

bool TSerial::CheckDevice() {
    if (Fd < 0)
        return false;
    pollfd look{Fd, 0, 0};
    if (poll(&look, 1, 0) > 0 && (look.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        Vanished.store(true, std::memory_order_relaxed);
        return false;
    }
    // The path is followed afresh: a link re-pointed to another device leads there from now on.
    // A link that is gone, while the device still takes bytes, is no reason to drop it.
    struct stat named, open;
    if (stat(TriedPath.c_str(), &named) != 0 || fstat(Fd, &open) != 0)
        return true;
    return !S_ISCHR(named.st_mode) || named.st_rdev == open.st_rdev;
}
