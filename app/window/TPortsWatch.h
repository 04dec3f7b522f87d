// USB adapters numbered as they are plugged in, and the ports described again whenever an
// adapter or a ComN link comes or goes: the device watch tells of changes in the by-id and ports/
// directories and only signals the numbering's worker; the numbering and the reading of sysfs run
// on that worker, so the watch goes back to watching at once, and the window hears of the result
// on its own thread.
#pragma once

#include "serial/PortAssign.h"

#include <QObject>
#include <functional>
#include <vector>

class TDeviceWatch;
class TSignalledWorker;

class TPortsWatch : public QObject {
public:
    using TPorts = std::vector<serialports::TComPort>;
    using TShow = std::function<void(const TPorts&)>;

    // show runs on the thread of this object (the window's) after each change.
    TPortsWatch(TDeviceWatch& watch, TSignalledWorker& numbering,
                const serialports::TPortRoots& roots, TShow show);
    ~TPortsWatch() override; // once gone, show is never called

    // Gives new adapters a number, says so on standard error, and describes Com1 to Com26.
    static TPorts NumberAndDescribe(const serialports::TPortRoots& roots);

private:
    TDeviceWatch& Watch;
    TSignalledWorker& Numbering;
    int Id;
};
