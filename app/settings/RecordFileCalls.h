// The few file calls TSFile makes, one file per platform (RecordFileCallsLinux.cpp,
// RecordFileCallsWindows.cpp). Paths are UTF-8. Nothing is reported or thrown: a call that fails
// says so in its result.
#pragma once

#include <cstdint>

namespace recordfile {

// A descriptor on Linux, a HANDLE on Windows; -1 is no file on both.
using THandle = std::intptr_t;
inline constexpr THandle NoHandle = -1;

bool PathExists(const char* path);
// An existing file, opened for reading and writing and shared with other openers. NoHandle for a
// directory, a missing file, or one the platform marks as not to be written.
THandle OpenForUpdate(const char* path);
// Makes an empty file when none exists; one that exists, or anything else in the way, is left.
void CreateIfMissing(const char* path);
void Close(THandle file);
bool SeekTo(THandle file, int64_t offset);
// Bytes moved, 0 at the end of the file, -1 on failure; an interrupted call is retried.
int64_t ReadSome(THandle file, void* buffer, uint32_t count);
int64_t WriteSome(THandle file, const void* buffer, uint32_t count);
uint64_t SizeOf(THandle file); // 0 when it cannot be told

} // namespace recordfile
