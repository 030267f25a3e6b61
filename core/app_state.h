// Application-wide state: one AppState, owned by the application and passed by
// reference to every operation that reads or sets it. The file operations and
// the clone link's runs return their outcomes as data and leave it alone; the
// edge in editor/ (file_edge.h, link_edge.h) sets errorFlag/cancelFlag from
// those outcomes, and callers test the flags as well as the return values.
#pragma once

#include "model.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qb41 {

enum class TransferMode { None, Read, Write, Clear };

struct AppState {
    bool diagnosticMode = false;
    std::string productName = "QB41";
    std::string windowTitle = "PC Program for TQ4800M/LW6100 Series";
    ModelNumber modelNumber = 2;
    std::int16_t serialPort = 1;
    std::string currentFileName;
    bool loading = false;
    bool dataChanged = false;
    bool errorFlag = false;
    bool cancelFlag = false;
    std::int16_t cloneRetryCount = 1;
    TransferMode transferMode = TransferMode::None;
    bool completed = false;

    std::string modelName() const { return ModelName(modelNumber); }
};

// True when the whole command-line argument text, upper-cased and trimmed of
// blanks, is exactly "/D".
bool IsDiagnosticSwitch(std::string_view commandLine);

} // namespace qb41
