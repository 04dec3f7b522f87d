// Linux's control socket as a plain descriptor, for what waits on it beside other descriptors
// (the state watcher); TControlLink is built on it.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <unistd.h>

// Connects to the control socket at `path` and checks that the program at the other end runs as
// `user` (this user unless told; asked of the connected socket itself, so nothing can be swapped
// in between). -1 with the reason on failure.
int ConnectKadrantSocket(const std::string& path, std::string& why, uid_t user = geteuid());

// Writes all of `data` within `timeoutMs`; `written` tells how much went out.
bool WriteAll(int fd, std::string_view data, int timeoutMs, std::size_t* written = nullptr);
