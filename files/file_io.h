// Whole-file reads and replace-on-success writes, the only places files/
// touches the file system for content. Failures throw RuntimeError with the
// classic error number that fits (53 file not found, 70 permission denied, 75
// path/file access error, 57 device I/O error, 61 disk full).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace qb41 {

// The whole content of a file. A file longer than maxBytes is refused with
// RuntimeError 7 "Out of memory" before anything is read.
std::string ReadWholeFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

// The first `count` bytes of a file, or all of it when it is shorter. Whatever
// follows them is never read.
std::string ReadFileStart(const std::filesystem::path& path, std::size_t count);

// Length of an existing file; RuntimeError 53 when it is missing.
std::uintmax_t FileLength(const std::filesystem::path& path);

// Writes the bytes to a temporary file in the target's folder and renames it
// over the target only after a complete write, so a failed save never destroys
// the previous file. The result is exactly `bytes` long.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace qb41
