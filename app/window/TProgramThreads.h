// Every thread of the program but one is started and joined here: the device watch, the
// numbering of adapters, and the stop's last resort (the list, with how each ends, is in this
// folder's README). The driver's sending thread is the exception: the driver owns it from Open to
// Close. Built after the objects the threads serve and taken down before them.
#pragma once

#include "app/window/TLastResort.h"
#include "app/window/TSignalledWorker.h"

class TDeviceWatch;

class TProgramThreads {
public:
    explicit TProgramThreads(TDeviceWatch& watch);
    ~TProgramThreads(); // joins them all
    TProgramThreads(const TProgramThreads&) = delete;
    TProgramThreads& operator=(const TProgramThreads&) = delete;

    // After a stop, once the window has closed: should anything still hold the program, it ends
    // all the same within the grace.
    void StartLastResort();

    // Numbers adapters and describes the ports whenever the device watch signals it (TPortsWatch).
    TSignalledWorker PortsNumbering;

private:
    TDeviceWatch& Watch;
    TLastResort LastResort;
};
