// Windows only: a UTF-8 path as the W calls take it. Shared by the Windows file calls here and in
// app/runstate.
#pragma once

#include <string>

// False for text that is not UTF-8: such a path names no file, and is not guessed at.
bool ToWidePath(const std::string& path, std::wstring& wide);
