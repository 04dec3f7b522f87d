// Real files in a temporary directory, for the record file and settings tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

class TTempDir {
public:
    // Tried under fresh names until one is free: mkdtemp is not on every platform.
    TTempDir() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate = base / ("kadrant-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate))
                path_ = candidate;
        }
        if (path_.empty())
            throw std::runtime_error("no temporary directory");
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
    }
    // Made writable first: Windows does not remove a read-only file.
    ~TTempDir() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::filesystem::path Path(const char* name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline TBytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const TBytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The little-endian 32-bit integer at offset, as a program on another machine would read it.
inline int32_t Int32At(const TBytes& bytes, std::size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | bytes.at(offset + static_cast<std::size_t>(i));
    return static_cast<int32_t>(value);
}

inline void PutInt32(TBytes& bytes, std::size_t offset, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<uint8_t>(bits >> (8 * i));
}

// Bytes that differ at every offset, so that a shifted or partial copy shows.
inline TBytes PatternBytes(std::size_t size, uint8_t seed = 7) {
    TBytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 31 + (i >> 8));
    return bytes;
}
