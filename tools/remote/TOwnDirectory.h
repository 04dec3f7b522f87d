// The bridge's directory (kadrant.sock, remote-token) must be one that nobody else can change:
// whoever could would be able to put a token or a socket of theirs in place.
#pragma once

#include <string>

// Opens `path` as a directory (made with mode 0700 when missing) that belongs to this user and
// that nobody else may write to (group write only for the user's own private group). Returns the
// open directory, so that what is checked is what is used; -1 with a one-line reason otherwise.
int OpenOwnDirectory(const std::string& path, std::string& why);
