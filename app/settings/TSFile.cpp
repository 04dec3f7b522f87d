#include "app/settings/TSFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr TSFile::TFlag True = 1;
constexpr TSFile::TFlag False = 0;

TSFile::TFlag Flag(bool condition) {
    return condition ? True : False;
}

} // namespace

TSFile::TSFile() : path_(new char[PathSize]) {
    path_[0] = '\0';
}

TSFile::~TSFile() {
    Close();
    delete[] path_;
}

void TSFile::Assign(const char* path, void* record, uint32_t recordSize) {
    Close();
    path_[0] = '\0';
    if (path != nullptr && std::strlen(path) < PathSize)
        std::strcpy(path_, path);
    record_ = record;
    recordSize_ = recordSize;
}

TSFile::TFlag TSFile::Exists() const {
    struct stat status;
    return Flag(path_[0] != '\0' && ::stat(path_, &status) == 0);
}

TSFile::TFlag TSFile::Open() {
    Close();
    struct stat status;
    if (path_[0] == '\0' || ::stat(path_, &status) != 0)
        return False;
    // A file that nobody may write is read-only for the program too, even when it runs as root,
    // which the kernel would let through.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return False;
    // No lock is taken: other copies of the program share the file for reading and writing.
    handle_ = ::open(path_, O_RDWR | O_CLOEXEC);
    if (handle_ < 0)
        return False;
    position_ = 0;
    return True;
}

TSFile::TFlag TSFile::Create() {
    Close();
    if (path_[0] != '\0') {
        const int created = ::open(path_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created >= 0)
            ::close(created);
    }
    Open();
    return True;
}

TSFile::TFlag TSFile::Close() {
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
    return True;
}

TSFile::TFlag TSFile::ReadRecord(uint32_t recordNumber) {
    if (recordNumber == 0 || !IsOpen())
        return False;
    return ReadAt(static_cast<int64_t>(recordNumber - 1) * recordSize_, record_, recordSize_);
}

TSFile::TFlag TSFile::WriteRecord(uint32_t recordNumber) {
    if (recordNumber == 0 || !IsOpen())
        return False;
    return WriteAt(static_cast<int64_t>(recordNumber - 1) * recordSize_, record_, recordSize_);
}

void TSFile::ClearRecord() {
    if (record_ != nullptr)
        std::memset(record_, 0, recordSize_);
}

TSFile::TFlag TSFile::ReadAt(int64_t offset, void* buffer, uint32_t count) {
    if (buffer == nullptr || !IsOpen())
        return False;
    if (offset != Here && !Seek(offset))
        return False;
    auto* bytes = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(handle_, bytes + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<uint32_t>(got);
    }
    return Flag(done == count);
}

TSFile::TFlag TSFile::WriteAt(int64_t offset, const void* buffer, uint32_t count) {
    if (buffer == nullptr || !IsOpen())
        return False;
    if (offset != Here && !Seek(offset))
        return False;
    const auto* bytes = static_cast<const char*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(handle_, bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return False;
        done += static_cast<uint32_t>(put);
    }
    return True;
}

TSFile::TFlag TSFile::Seek(int64_t offset) {
    if (!IsOpen() || offset < 0 || static_cast<uint64_t>(offset) > Size())
        return False;
    if (::lseek(handle_, static_cast<off_t>(offset), SEEK_SET) < 0)
        return False;
    position_ = offset;
    return True;
}

uint64_t TSFile::Size() const {
    struct stat status;
    if (!IsOpen() || ::fstat(handle_, &status) != 0)
        return 0;
    return static_cast<uint64_t>(status.st_size);
}
