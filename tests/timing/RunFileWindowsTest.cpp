// What a rewrite of "kadrant.run" does to the file on Windows, where it goes through MoveFileExW:
// the name gives the old text or the new one, whole; a reader that holds the old file (sharing it
// as ReadWholeFile does) reads it whole; a longer temporary file a crash left is emptied first;
// and the file is a new one, never the old one cut and written again.
#include "RunProgram.h"
#include "app/runstate/TRunFile.h"
#include "tests/support/PtyLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <windows.h>

namespace {

HANDLE OpenShared(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

uint64_t FileIndexOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return 0;
    return (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

std::string ReadFromStart(HANDLE file) {
    std::string text(8192, '\0');
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        got = 0;
    text.resize(got);
    return text;
}

TEST(RunFileWindows, ARewriteReplacesTheFileWholeAndNeverCutsIt) {
    testline::TTempWorkDir dir;
    const std::string old(3000, 'o');
    ASSERT_TRUE(ReplaceWholeFile(RunStateFileName, old));
    const HANDLE reader = OpenShared(RunStateFileName);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const uint64_t oldIndex = FileIndexOf(reader);

    // Windows may refuse to replace a file that is open (Wine does); the name then keeps the old
    // text and the temporary file is gone.
    const bool replaced = ReplaceWholeFile(RunStateFileName, "new");
    std::string read;
    ASSERT_EQ(ReadWholeFile(RunStateFileName, read), TFileRead::Read);
    EXPECT_EQ(read, replaced ? "new" : old);
    EXPECT_EQ(ReadFromStart(reader), old);
    CloseHandle(reader);
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathOf(RunStateFileName)));

    std::ofstream(TemporaryPathOf(RunStateFileName)) << std::string(5000, 'x'); // a crash's
    ASSERT_TRUE(ReplaceWholeFile(RunStateFileName, "newer"));
    ASSERT_EQ(ReadWholeFile(RunStateFileName, read), TFileRead::Read);
    EXPECT_EQ(read, "newer");
    const HANDLE now = OpenShared(RunStateFileName);
    ASSERT_NE(now, INVALID_HANDLE_VALUE);
    EXPECT_NE(FileIndexOf(now), oldIndex) << "written in place";
    CloseHandle(now);
}

} // namespace
