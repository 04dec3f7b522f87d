#include "tools/remote/TOwnDirectory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A group named after the user, as most systems give each user: its members are the user alone.
bool IsPrivateGroup(gid_t gid) {
    const group* g = getgrgid(gid);
    const passwd* user = getpwuid(geteuid());
    return g != nullptr && user != nullptr && gid == getegid() &&
           std::strcmp(g->gr_name, user->pw_name) == 0 && g->gr_mem[0] == nullptr;
}

} // namespace

int OpenOwnDirectory(const std::string& path, std::string& why) {
    std::filesystem::path directory(path);
    std::error_code ignored;
    if (directory.has_parent_path())
        std::filesystem::create_directories(directory.parent_path(), ignored);
    mkdir(path.c_str(), 0700);
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_uid != geteuid())
        why = path + " belongs to another user; give a directory of your own with --dir";
    else if ((info.st_mode & S_IWOTH) != 0 ||
             ((info.st_mode & S_IWGRP) != 0 && !IsPrivateGroup(info.st_gid)))
        why = path + " may be changed by other users; remove their write permission (chmod go-w)";
    else
        return fd;
    close(fd);
    return -1;
}
