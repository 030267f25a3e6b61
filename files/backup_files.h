// The radio backups: the whole image read from a radio before it is
// programmed or cleared, kept as raw image files in one folder, named after
// the model and the local time of the read. The window and the command-line
// tool save and list them here.
#pragma once

#include "core/model.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qb41 {

// QB41/backups in the user's data folder ($XDG_DATA_HOME, by default
// ~/.local/share, on Linux; ~/Library/Application Support on macOS;
// %LOCALAPPDATA% on Windows).
std::filesystem::path BackupFolder();

// Saves `image` in `folder` (created when missing) as
// "backup-LW6100-20250102-153045.hex", the stamp being `when` in local time,
// with "-2", "-3", ... added when that name is taken. Returns the path.
// Throws RuntimeError when the folder cannot be made or the file written.
std::filesystem::path SaveBackup(const std::filesystem::path& folder, ModelNumber model,
                                 const std::vector<std::uint8_t>& image,
                                 std::chrono::system_clock::time_point when);

struct BackupEntry {
    std::filesystem::path path;
    ModelNumber model = 0;
    std::string date; // "2025-01-02 15:30:45", from the name
};

// The backups in `folder`, newest first: files named as SaveBackup names
// them whose length is their model's image size. A missing folder has none.
std::vector<BackupEntry> ListBackups(const std::filesystem::path& folder);

} // namespace qb41
