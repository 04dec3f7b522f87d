// Any 0 to 2000 bytes as "config.dat": load, read again and save must stay inside the record,
// leave the sound file path terminated, and write back what was read.
#include "app/settings/SettingsStore.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

const std::string& ConfigPath() {
    static const std::string path = [] {
        char directory[] = "/tmp/kadrant-fuzz-XXXXXX";
        Check(::mkdtemp(directory) != nullptr);
        static std::string made;
        made = directory;
        std::atexit([] {
            ::unlink((made + "/config.dat").c_str());
            ::rmdir(made.c_str());
        });
        return made + "/config.dat";
    }();
    return path;
}

void WriteFile(const std::string& path, const uint8_t* data, std::size_t size) {
    const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Check(handle >= 0);
    Check(::write(handle, data, size) == static_cast<ssize_t>(size));
    ::close(handle);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::vector<uint8_t> bytes(4096);
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    Check(handle >= 0);
    const ssize_t got = ::read(handle, bytes.data(), bytes.size());
    ::close(handle);
    Check(got >= 0);
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 2000)
        return 0;
    const std::string& path = ConfigPath();
    WriteFile(path, data, size);

    TSFile file;
    TSettingsRecord record;
    std::memset(&record, 0xA5, sizeof record);
    LoadSettings(file, record, path.c_str());
    Check(std::memchr(record.soundFile, '\0', sizeof record.soundFile) != nullptr);
    ReadSettingsAgain(file, record);
    Check(std::memchr(record.soundFile, '\0', sizeof record.soundFile) != nullptr);

    // What the file held is in the record; what it did not hold is zero.
    const auto* recordBytes = reinterpret_cast<const uint8_t*>(&record);
    const bool soundFileCut = size >= 340 && std::memchr(data + 84, '\0', 256) == nullptr;
    for (std::size_t i = 0; i < sizeof record; ++i) {
        if (soundFileCut && i == 339)
            Check(recordBytes[i] == 0);
        else
            Check(recordBytes[i] == (i < size ? data[i] : 0));
    }

    TPlacementValues placement;
    placement.left = 12;
    placement.top = 34;
    SaveSettings(file, record, placement);
    const std::vector<uint8_t> saved = ReadFile(path);
    Check(saved.size() == std::max<std::size_t>(size, sizeof record));
    Check(std::memcmp(saved.data() + 44, recordBytes + 44, sizeof record - 44) == 0);
    if (size > sizeof record)
        Check(std::memcmp(saved.data() + sizeof record, data + sizeof record,
                          size - sizeof record) == 0);
    return 0;
}
