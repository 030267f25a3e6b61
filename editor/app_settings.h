// The desktop program's use of the per-user settings store, on top of the
// keys the files library defines: the stored serial port taken safely, and
// the device path chosen under Options > SerialPort > Other.
#pragma once

#include "files/settings_store.h"

#include <string>

namespace qb41::editor {

// ComPath/ComDevice: a serial device path that replaces COM1-COM4 when set.
std::string ReadComDevice(const SettingsStore& store);
void SaveComDevice(SettingsStore& store, const std::string& device);

// The COM port number to use for this run: the stored ComNum when it is 1-4,
// else 1 (nothing is written back).
std::int16_t UsableComPort(std::int16_t stored);

} // namespace qb41::editor
