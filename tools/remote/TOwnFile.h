// A small file of this user's in the bridge's directory (tokens, the TLS key and certificate):
// read only when it is a plain file of ours, written beside and renamed over with mode 0600.
#pragma once

#include <cstddef>
#include <string>

// The file's first `maxBytes` bytes, or false (with the reason) when it is a link, not a regular
// file or another user's. `missing`: there is none; `exposed`: others could read it.
bool ReadOwnFile(int dirFd, const std::string& name, std::size_t maxBytes, std::string& text,
                 bool& missing, bool& exposed, std::string& error);

// Replaces the file with `text`, mode 0600; a crash never leaves half of it.
bool WriteOwnFile(int dirFd, const std::string& name, const std::string& text, std::string& error);
