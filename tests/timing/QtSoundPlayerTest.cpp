#include "app/sound/TQtSoundPlayer.h"
#include "tests/support/WaitFor.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A short mono 16-bit PCM WAV of silence.
void WriteWav(const std::string& path) {
    const uint32_t rate = 8000, samples = 800, dataBytes = samples * 2;
    std::vector<uint8_t> bytes;
    auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    auto tag = [&](const char* text) { bytes.insert(bytes.end(), text, text + 4); };
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(dataBytes, 4);
    bytes.resize(bytes.size() + dataBytes, 0);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class QtSoundPlayerTest : public ::testing::Test {
protected:
    std::string PathOf(const char* name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    int beeps = 0;
    TQtSoundPlayer player{nullptr, [this] { ++beeps; }};
};

TEST_F(QtSoundPlayerTest, MissingFileOrFolderBeepsAtOnce) {
    player.Play(PathOf("absent.wav").c_str());
    EXPECT_EQ(beeps, 1);
    player.Play(dir.path().toStdString().c_str());
    EXPECT_EQ(beeps, 2);
    player.Play("");
    EXPECT_EQ(beeps, 3);
}

TEST_F(QtSoundPlayerTest, UnreadableFileBeeps) {
    const std::string path = PathOf("locked.wav");
    WriteWav(path);
    QFile::setPermissions(QString::fromStdString(path), QFileDevice::Permissions());
    if (QFileInfo(QString::fromStdString(path)).isReadable())
        GTEST_SKIP() << "running with rights that read any file";
    player.Play(path.c_str());
    EXPECT_EQ(beeps, 1);
}

TEST_F(QtSoundPlayerTest, FileThatIsNotASoundBeepsEveryTime) {
    const std::string path = PathOf("notes.wav");
    std::ofstream(path) << "these are not samples, just some text long enough to be read";
    player.Play(path.c_str());
    EXPECT_TRUE(QTest::qWaitFor([this] { return beeps == 1; }, testwait::ScaledMs(5000)));
    // The same failed file again is tried afresh and beeps again.
    player.Play(path.c_str());
    EXPECT_TRUE(QTest::qWaitFor([this] { return beeps == 2; }, testwait::ScaledMs(5000)));
}

TEST_F(QtSoundPlayerTest, ValidWavDoesNotBeep) {
    const std::string path = PathOf("bell.wav");
    WriteWav(path);
    player.Play(path.c_str());
    player.Play(path.c_str()); // cuts the first off and starts again
    QTest::qWait(1000);
    EXPECT_EQ(beeps, 0);
}

} // namespace
