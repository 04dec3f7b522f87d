// The program-wide objects, alive for the whole run. Members are built in declaration order and
// taken down in reverse, so the driver (which stops its sending thread and releases its port)
// goes first, then the device watch that tells it of its port, and the settings file last.
#pragma once

#include "app/settings/SettingsRecord.h"
#include "app/settings/TSFile.h"
#include "scoreboard/TScbDriver.h"
#include "scoreboard/TTemps.h"
#include "serial/TDeviceWatch.h"
#include "toolkit/TEditCombo.h"

struct TProgramObjects {
    TProgramObjects() {
        DeviceWatch.Start();
        Driver.UseDeviceWatch(&DeviceWatch);
    }

    TSFile SettingsFile;
    TComboBoxData PortList;
    TComboBoxData BoardTypeList;
    TComboBoxData DisplayTypeList;
    TTemps Temps;
    TDeviceWatch DeviceWatch;
    TScbDriver Driver;
    TSettingsRecord Settings{}; // all zero bytes until the settings file is read
};
