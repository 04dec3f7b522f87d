// The file calls a whole-file replace and read make, one file per platform (RunFileCallsLinux.cpp,
// RunFileCallsWindows.cpp). Paths are UTF-8. A call that fails leaves errno saying why (on Windows
// the nearest errno to the system's error), so that the caller can tell the user.
#pragma once

#include "app/runstate/TRunFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace runfile {

// A descriptor on Linux, a HANDLE on Windows; -1 is no file on both.
using THandle = std::intptr_t;
inline constexpr THandle NoHandle = -1;

// Created, or emptied when it exists, for writing only.
THandle CreateEmpty(const std::string& path);
bool WriteAll(THandle file, const std::string& text);
// Returns when the file's bytes are on the disk.
bool FlushToDisk(THandle file);
// Closes file; false when ok was already false (errno kept from that failure) or the close fails.
bool CloseKeepingError(THandle file, bool ok);
// Renames from over to in one step: to is always either its old file or the new one.
bool MoveOver(const std::string& from, const std::string& to);
// Removes path, errno as it was before.
void RemoveKeepingError(const std::string& path);
// Returns when the last MoveOver into path's directory is on the disk.
bool SyncDirectoryOf(const std::string& path);

// Read (file set), Missing (no such file or folder) or Failed.
TFileRead OpenForReading(const std::string& path, THandle& file);
// Bytes read, 0 at the end, -1 on failure; an interrupted call is retried.
int64_t ReadSome(THandle file, char* buffer, std::size_t count);

} // namespace runfile
