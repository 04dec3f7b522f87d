#include "app/window/TPortsWatch.h"

#include "serial/TDeviceWatch.h"

#include <cstdio>

TPortsWatch::TPortsWatch(TDeviceWatch& watch, const serialports::TPortRoots& roots, TShow show)
    : Watch(watch) {
    Id = Watch.Add([this, roots, show = std::move(show)] {
        TPorts ports = NumberAndDescribe(roots);
        QMetaObject::invokeMethod(
            this, [show, ports = std::move(ports)] { show(ports); }, Qt::QueuedConnection);
    });
    Watch.Follow(Id, {}, {roots.ById, roots.Ports});
}

TPortsWatch::~TPortsWatch() {
    Watch.Remove(Id);
}

TPortsWatch::TPorts TPortsWatch::NumberAndDescribe(const serialports::TPortRoots& roots) {
    for (const serialports::TAssignment& made : serialports::AssignAdapters(roots))
        std::fprintf(stderr, "kadrant: Com%d is now the USB adapter %s (%s)\n", made.Number,
                     made.Adapter.ById.c_str(), made.Adapter.Device.c_str());
    return serialports::DescribePorts(roots);
}
