// The desktop program's use of the per-user settings store, on top of the
// keys the files library defines: the stored serial port taken safely, and
// the device path chosen under Options > SerialPort > Other.
#pragma once

#include "files/settings_store.h"

#include <optional>
#include <string>
#include <vector>

namespace qb41::editor {

// ComPath/ComDevice: a serial device path that replaces COM1-COM4 when set.
std::string ReadComDevice(const SettingsStore& store);
void SaveComDevice(SettingsStore& store, const std::string& device);

// The COM port number to use for this run: the stored ComNum when it is 1-4,
// else 1 (nothing is written back).
std::int16_t UsableComPort(std::int16_t stored);

// Settings/RecentFile1..5: the data files last opened or saved, newest first.
inline constexpr std::size_t kRecentFileCount = 5;
std::vector<std::string> ReadRecentFiles(const SettingsStore& store);
void SaveRecentFiles(SettingsStore& store, const std::vector<std::string>& files);
// `files` with `file` put first: an earlier entry of it dropped, at most
// kRecentFileCount kept.
std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& file);

// Settings/LastFolder: the one folder every file dialog starts in.
std::string ReadLastFolder(const SettingsStore& store);
void SaveLastFolder(SettingsStore& store, const std::string& folder);

} // namespace qb41::editor
