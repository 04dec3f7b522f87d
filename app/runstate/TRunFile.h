// A small file replaced as a whole: the new text goes to a temporary file beside it, reaches the
// disk, and is renamed over the old one, so that a crash or a power cut at any moment leaves
// either the old text or the new one, never a mixture. The platform's calls are in RunFileCalls.h:
// rename and fsync of the directory on Linux, MoveFileExW written through on Windows.
#pragma once

#include <string>

// The temporary file a write goes through; a crash may leave it behind, zero-length or cut.
std::string TemporaryPathOf(const std::string& path);

// Writes text to path as described above, the new name included. False when any step fails
// (errno then says why); the old file is then left as it was. Not named ReplaceFile: windows.h
// makes that a macro.
bool ReplaceWholeFile(const std::string& path, const std::string& text);

enum class TFileRead { Read, Missing, Failed };

// The whole file, at most maxBytes of it (a longer one is Failed: not ours).
TFileRead ReadWholeFile(const std::string& path, std::string& text, std::size_t maxBytes = 4096);
