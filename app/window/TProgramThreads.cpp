#include "app/window/TProgramThreads.h"

#include "serial/TDeviceWatch.h"

namespace {
// A sanitizer build runs the orderly close several times slower: its grace grows alike.
constexpr std::chrono::milliseconds StopGrace(900 * KADRANT_TIME_SCALE);
} // namespace

TProgramThreads::TProgramThreads(TDeviceWatch& watch) : Watch(watch) {
    Watch.Start(); // says on stderr when it cannot: the once-a-second looks remain
    PortsNumbering.Start();
}

TProgramThreads::~TProgramThreads() {
    // The watch signals the numbering: it stops first.
    Watch.Stop();
    PortsNumbering.Stop();
    LastResort.End();
}

void TProgramThreads::StartLastResort() {
    LastResort.Start(StopGrace);
}
