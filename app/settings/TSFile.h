// A file of fixed-size records addressed by a 1-based record number, read and written through a
// caller's record buffer. Other openers may read and write the same file; the platform's calls are
// in RecordFileCalls.h.
// Results are 16-bit flags: 1 for success, 0 for failure. Nothing is reported or thrown.
#pragma once

#include "app/settings/RecordFileCalls.h"

#include <cstddef>
#include <cstdint>

class TSFile {
public:
    using TFlag = int16_t;
    static constexpr std::size_t PathSize = 257; // at most 256 characters and the NUL
    static constexpr int64_t Here = -1;          // ReadAt/WriteAt offset: the current position

    TSFile();
    ~TSFile();
    TSFile(const TSFile&) = delete;
    TSFile& operator=(const TSFile&) = delete;

    // Closes the file if open, copies the path, keeps the buffer and the record size. A path of
    // more than 256 characters is not cut (that could name another file): the path becomes empty
    // and every later Open fails.
    void Assign(const char* path, void* record, uint32_t recordSize);
    TFlag Exists() const;
    // Opens an existing file for reading and writing; position 0. A file without any write
    // permission bit (on Windows: a read-only file) is not opened, whoever runs the program.
    TFlag Open();
    // Creates the file if none exists (silently keeping one that does), then opens it. Always 1.
    TFlag Create();
    TFlag Close();

    TFlag ReadRecord(uint32_t recordNumber);
    TFlag WriteRecord(uint32_t recordNumber);
    void ClearRecord();

    // count bytes at offset (or Here). A read is good only if it delivers all count bytes; a
    // short read still leaves what it read at the start of the buffer.
    TFlag ReadAt(int64_t offset, void* buffer, uint32_t count);
    TFlag WriteAt(int64_t offset, const void* buffer, uint32_t count);
    // Fails beyond the end of the file; the end itself is allowed, so a write there appends.
    TFlag Seek(int64_t offset);
    uint64_t Size() const; // 0 when not open

    bool IsOpen() const { return handle_ != recordfile::NoHandle; }
    const char* Path() const { return path_; }

private:
    char* path_; // owned, PathSize bytes
    recordfile::THandle handle_ = recordfile::NoHandle;
    void* record_ = nullptr;
    uint32_t recordSize_ = 0;
    int64_t position_ = 0; // offset of the last seek
};
