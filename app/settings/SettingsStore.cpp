#include "app/settings/SettingsStore.h"

#include <cstring>

namespace {

constexpr uint32_t SettingsRecordNumber = 1;

} // namespace

void SetFirstRunValues(TSettingsRecord& record) {
    std::memset(&record, 0, sizeof record);
    record.placement.normalPosition[0] = 100;
    record.placement.normalPosition[1] = 75;
    record.portCode = 1;
    record.boardType = 1;
    record.functionCode = FunctionCountUp;
    record.displayType = DisplayHhmmss;
}

void TerminateSoundFile(TSettingsRecord& record) {
    if (std::memchr(record.soundFile, '\0', sizeof record.soundFile) == nullptr)
        record.soundFile[sizeof record.soundFile - 1] = '\0';
}

void LoadSettings(TSFile& file, TSettingsRecord& record, const char* path) {
    file.Assign(path, &record, sizeof record);
    // What a short file does not hold stays zero.
    file.ClearRecord();
    if (!file.Open()) {
        file.Create();
        SetFirstRunValues(record);
        file.WriteRecord(SettingsRecordNumber);
    }
    file.ReadRecord(SettingsRecordNumber);
    TerminateSoundFile(record);
}

void ReadSettingsAgain(TSFile& file, TSettingsRecord& record) {
    file.ReadRecord(SettingsRecordNumber);
    TerminateSoundFile(record);
}

void SaveSettings(TSFile& file, TSettingsRecord& record, const TPlacementValues& placement) {
    TWindowPlacement& stored = record.placement;
    stored.length = sizeof(TWindowPlacement);
    stored.flags = 0;
    stored.showState = placement.showState;
    stored.minimizedPosition[0] = placement.minimizedX;
    stored.minimizedPosition[1] = placement.minimizedY;
    stored.maximizedPosition[0] = placement.maximizedX;
    stored.maximizedPosition[1] = placement.maximizedY;
    stored.normalPosition[0] = placement.left;
    stored.normalPosition[1] = placement.top;
    stored.normalPosition[2] = placement.right;
    stored.normalPosition[3] = placement.bottom;
    file.WriteRecord(SettingsRecordNumber);
    file.Close();
}
