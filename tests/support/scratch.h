// Test helpers shared by every test folder: a scratch folder that removes
// itself, and whole-file reads and writes.
#pragma once

#include "core/platform.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qb41::test {

// Removes a tree, read-only files too (Windows will not delete them).
inline void RemoveTree(const std::filesystem::path& path) {
    std::error_code ignored;
    for (std::filesystem::recursive_directory_iterator it(path, ignored), end;
         !ignored && it != end; it.increment(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
}

class ScratchDir {
public:
    // Named by the process and a count; Wine hands out the same process ids
    // run after run, so a tree left by an earlier run is removed first.
    explicit ScratchDir(const std::string& tag = "qb41") {
        static std::atomic<int> counter{0};
        path_ =
            std::filesystem::temp_directory_path() /
            (tag + "-" + std::to_string(platform::ProcessId()) + "-" + std::to_string(counter++));
        RemoveTree(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { RemoveTree(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace qb41::test
