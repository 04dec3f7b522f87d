// Any 0 to 2000 bytes as "config.dat", loaded as the program loads it and shown by the main
// dialog: both sweeps, the control states, the buttons and a few timer ticks on whatever codes
// the record holds, then the close, which must save a full record and keep the file's tail.
// One dialog lives for the whole run (building one per input would be far too slow); each input
// goes through the same loading, set-up and close that the program runs once.
#include "app/settings/SettingsStore.h"
#include "app/window/TDialogKD.h"
#include "tests/timing/TimingFakes.h"

#include <QApplication>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void WriteFile(const char* path, const uint8_t* data, std::size_t size) {
    const int handle = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Check(handle >= 0);
    Check(size == 0 || ::write(handle, data, size) == static_cast<ssize_t>(size));
    ::close(handle);
}

std::string ReadFile(const char* path) {
    std::string bytes(4096, '\0');
    const int handle = ::open(path, O_RDONLY | O_CLOEXEC);
    Check(handle >= 0);
    const ssize_t got = ::read(handle, bytes.data(), bytes.size());
    ::close(handle);
    Check(got >= 0);
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}

// The program in a temporary current directory whose ports all lead nowhere, so that no record
// can reach a real serial port.
struct TProgram {
    TProgram() {
        char directory[] = "/tmp/kadrant-fuzz-dialog-XXXXXX";
        Check(::mkdtemp(directory) != nullptr);
        Directory = directory;
        Home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        Check(Home >= 0);
        std::filesystem::current_path(Directory);
        std::filesystem::create_directory("ports");
        for (int com = 1; com <= 26; ++com)
            std::filesystem::create_symlink("/nonexistent/kadrant-port",
                                            "ports/Com" + std::to_string(com));
        // Port "N.C." at set-up: the board is never opened.
        TSettingsRecord record{};
        SetFirstRunValues(record);
        record.portCode = 0;
        WriteFile(SettingsFileName, reinterpret_cast<const uint8_t*>(&record), sizeof record);
        Dialog = new TDialogKD(Objects, Clock, Sound, 0);
        Dialog->Create();
        Leave();
    }

    // The program works in its directory; libFuzzer finds its inputs from where it started.
    void Enter() { std::filesystem::current_path(Directory); }
    void Leave() { Check(::fchdir(Home) == 0); }

    std::filesystem::path Directory;
    int Home = -1;
    TProgramObjects Objects;
    TFakeClock Clock;
    TRecordingSound Sound;
    TDialogKD* Dialog = nullptr;
};

TProgram& Program() {
    static int argc = 1;
    static char name[] = "fuzz_settings_dialog";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    (void)application;
    // Never taken down (Qt is still up at exit); only its directory goes.
    static TProgram* program = [] {
        auto* made = new TProgram;
        static std::filesystem::path directory = made->Directory;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(directory, ignored);
        });
        return made;
    }();
    return *program;
}

// What the record holds after loading: the file's first 596 bytes, zeros where it is short, the
// sound file path cut to end inside its field.
std::string ExpectedRecord(const uint8_t* data, std::size_t size) {
    std::string record(reinterpret_cast<const char*>(data), std::min(size, SettingsRecordSize));
    record.resize(SettingsRecordSize, '\0');
    const std::size_t soundFile = offsetof(TSettingsRecord, soundFile);
    const std::size_t reserved = offsetof(TSettingsRecord, reserved);
    if (record.find('\0', soundFile) >= reserved)
        record[reserved - 1] = '\0';
    return record;
}

std::string Bytes(const TSettingsRecord& record) {
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

} // namespace

// The font library keeps its configuration cache until the process ends; the Qt application of
// the harness is never taken down, so at exit that cache shows up as a leak that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 2000)
        return 0;
    TProgram& program = Program();
    TDialogKD& dialog = *program.Dialog;
    TSettingsRecord& settings = program.Objects.Settings;
    program.Enter();
    WriteFile(SettingsFileName, data, size);

    // Loading, as the dialog's construction and set-up do it.
    std::memset(&settings, 0, sizeof settings);
    LoadSettings(program.Objects.SettingsFile, settings, SettingsFileName);
    Check(Bytes(settings) == ExpectedRecord(data, size));
    ReadSettingsAgain(program.Objects.SettingsFile, settings);
    Check(Bytes(settings) == ExpectedRecord(data, size));
    const std::string reserved(reinterpret_cast<const char*>(settings.reserved),
                               sizeof settings.reserved);

    // Set-up on the codes as loaded, then the user's buttons and some counted seconds.
    dialog.Timing().State = TTimingState{};
    dialog.TransferToControls();
    dialog.UpdateControlStates();
    dialog.TransferFromControls();
    dialog.TransferToControls();
    dialog.UpdateControlStates();
    for (int id : {IdReset, IdStart})
        dialog.Command(TNotify::Clicked, id);
    for (int second = 0; second < 3; ++second) {
        program.Clock.tick += 1000;
        dialog.Timing().OnTimerTick();
    }
    dialog.Command(TNotify::Clicked, IdStop);
    program.Sound.played.clear();

    Check(dialog.QueryClose());
    const std::string saved = ReadFile(SettingsFileName);
    Check(saved.size() == std::max(size, SettingsRecordSize));
    Check(saved.compare(0, SettingsRecordSize, Bytes(settings)) == 0);
    Check(saved.compare(offsetof(TSettingsRecord, reserved), reserved.size(), reserved) == 0);
    if (size > SettingsRecordSize)
        Check(std::memcmp(saved.data() + SettingsRecordSize, data + SettingsRecordSize,
                          size - SettingsRecordSize) == 0);
    program.Leave();
    return 0;
}
