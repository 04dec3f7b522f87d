// USB adapters numbered as they are plugged in, and the ports described again whenever an
// adapter or a ComN link comes or goes: the device watch tells of changes in the by-id and ports/
// directories, the numbering and the reading of sysfs run on the watch's thread, and the window
// hears of the result on its own thread.
#pragma once

#include "serial/PortAssign.h"

#include <QObject>
#include <functional>
#include <vector>

class TDeviceWatch;

class TPortsWatch : public QObject {
public:
    using TPorts = std::vector<serialports::TComPort>;
    using TShow = std::function<void(const TPorts&)>;

    // show runs on the thread of this object (the window's) after each change.
    TPortsWatch(TDeviceWatch& watch, const serialports::TPortRoots& roots, TShow show);
    ~TPortsWatch() override; // once gone, show is never called

    // Gives new adapters a number, says so on standard error, and describes Com1 to Com26.
    static TPorts NumberAndDescribe(const serialports::TPortRoots& roots);

private:
    TDeviceWatch& Watch;
    int Id;
};
