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

// The cause given for a save over a file marked read-only (no write
// permission for anyone): the save refuses it instead of renaming over it.
inline constexpr std::string_view kReadOnlyCause = "the file is read-only";

// Writes the bytes to a temporary file beside the target and renames it over
// the target only after a complete write, so a failed save never destroys the
// previous file. The result is exactly `bytes` long. A target marked
// read-only is refused with RuntimeError 70 whose description is
// kReadOnlyCause, before anything is written.
//
// A target that is a symbolic link is saved through it: the file written is
// the link's final target (the link stays a link). An existing file keeps its
// permission bits, and its owner and group where the system permits. The
// temporary file is named ".qb41-save-<hash of the name>-<process id>.tmp", so
// it fits any file name the system accepts and is recognisable; a save removes
// the stale temporaries of earlier saves of the same file whose process is gone.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The temporary a save of `target` by process `processId` writes first.
std::filesystem::path SaveTemporaryName(const std::filesystem::path& target, long processId);

// The file a save of `path` writes: `path`, or the final target of the
// symbolic links it names.
std::filesystem::path SaveTarget(const std::filesystem::path& path);

// The cause of a file operation's failure in plain words, for the line after
// a file message: "permission denied", "disk full", "no such file or folder",
// "input/output error", "the file is too large", ...
std::string FileFailureCause(const std::exception& error);

// "FileSave Error!!" and the like, followed on the next line by the file's
// path and the cause: "FileSave Error!!\n/home/ann/radio.dat: disk full".
std::string FileMessage(std::string_view text, const std::filesystem::path& path,
                        std::string_view cause);

} // namespace qb41
