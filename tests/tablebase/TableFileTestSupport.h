// Table files written by the tests into a temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tablebase/TableList.h"
#include "tablebase/TablebaseAccess.h"

namespace tbtest {

inline int TableId(const char *name) {
    for (int id = 1; id < TbTableCount; id++)
        if (std::strcmp(TbDescriptors[id].name, name) == 0) return id;
    return -1;
}

// The length a table side must have on disk.
inline uint32_t LengthOf(const char *name, int side) {
    static std::vector<uint32_t> lengths;
    if (lengths.empty())
        for (int id = 0; id < TbTableCount; id++)
            for (int s = 0; s < 2; s++)
                lengths.push_back(TbDescriptors[id].expectedLength[s]);
    return lengths[2 * TableId(name) + side];
}

// Default content: a byte pattern that differs from block to block.
inline int8_t Pattern(uint32_t index, int salt = 0) { return int8_t((index * 7 + index / 8192 * 31 + salt) % 251); }

class TempDirectory {
  public:
    TempDirectory() {
        char name[] = "/tmp/morvane-tb-XXXXXX";
        char *made = mkdtemp(name);
        EXPECT_NE(made, nullptr);
        path_ = made ? made : "/tmp";
    }
    ~TempDirectory() {
        const std::string command = "rm -rf '" + path_ + "'";
        if (std::system(command.c_str()) != 0) std::perror("rm");
    }
    const std::string &Path() const { return path_; }
    std::string Sub(const std::string &name) const {
        const std::string p = path_ + "/" + name;
        mkdir(p.c_str(), 0700);
        return p;
    }

  private:
    std::string path_;
};

// Writes dir/<name>.nbw or .nbb of `length` bytes (the expected length by
// default); content[i] gives the byte at index i.
inline std::string WriteTable(const std::string &dir, const char *name, int side, int salt = 0, int64_t length = -1) {
    if (length < 0) length = LengthOf(name, side);
    const std::string path = dir + "/" + name + (side == 0 ? ".nbw" : ".nbb");
    std::vector<int8_t> bytes(static_cast<size_t>(length));
    for (int64_t i = 0; i < length; i++)
        bytes[size_t(i)] = Pattern(uint32_t(i), salt);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr) << path;
    if (f) {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }
    return path;
}

// Overwrites single bytes of a written table in place.
inline void PokeTable(const std::string &path, uint32_t index, int8_t value) {
    const int fd = open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(pwrite(fd, &value, 1, off_t(index)), 1);
    close(fd);
}

// A file of the right size that holds zeros without taking disk space.
inline std::string WriteSparseTable(const std::string &dir, const char *name, int side) {
    const std::string path = dir + "/" + name + (side == 0 ? ".nbw" : ".nbb");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(ftruncate(fd, off_t(LengthOf(name, side))), 0);
    close(fd);
    return path;
}

inline void WriteFile(const std::string &path, const std::string &text) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

// Cache size in megabytes that gives exactly `entries` cache entries.
inline double CacheMegabytesFor(int entries) {
    // Every entry costs its header and an 8228-byte data area; headers are
    // at most 64 bytes, so asking for 8300 bytes per entry rounds down right.
    return entries * 8300.0 / 1048576.0;
}

} // namespace tbtest
