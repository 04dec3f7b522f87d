#include "app/settings/TSFile.h"

#include "app/settings/RecordFileCalls.h"

#include <cstring>

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
    return Flag(path_[0] != '\0' && recordfile::PathExists(path_));
}

TSFile::TFlag TSFile::Open() {
    Close();
    if (path_[0] == '\0')
        return False;
    handle_ = recordfile::OpenForUpdate(path_);
    if (!IsOpen())
        return False;
    position_ = 0;
    return True;
}

TSFile::TFlag TSFile::Create() {
    Close();
    if (path_[0] != '\0')
        recordfile::CreateIfMissing(path_);
    Open();
    return True;
}

TSFile::TFlag TSFile::Close() {
    if (IsOpen())
        recordfile::Close(handle_);
    handle_ = recordfile::NoHandle;
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
        const int64_t got = recordfile::ReadSome(handle_, bytes + done, count - done);
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
        const int64_t put = recordfile::WriteSome(handle_, bytes + done, count - done);
        if (put <= 0)
            return False;
        done += static_cast<uint32_t>(put);
    }
    return True;
}

TSFile::TFlag TSFile::Seek(int64_t offset) {
    if (!IsOpen() || offset < 0 || static_cast<uint64_t>(offset) > Size())
        return False;
    if (!recordfile::SeekTo(handle_, offset))
        return False;
    position_ = offset;
    return True;
}

uint64_t TSFile::Size() const {
    return IsOpen() ? recordfile::SizeOf(handle_) : 0;
}
