// The program-wide objects, alive for the whole run. Members are built in declaration order and
// taken down in reverse, so the driver (which stops its sending thread and releases its port)
// goes first and the settings file last.
#pragma once

#include "app/SettingsRecord.h"
#include "app/TSFile.h"
#include "scoreboard/TScbDriver.h"
#include "scoreboard/TTemps.h"
#include "toolkit/TEditCombo.h"

struct TProgramObjects {
    TSFile SettingsFile;
    TComboBoxData PortList;
    TComboBoxData BoardTypeList;
    TComboBoxData DisplayTypeList;
    TTemps Temps;
    TScbDriver Driver;
    TSettingsRecord Settings{}; // all zero bytes until the settings file is read
};
