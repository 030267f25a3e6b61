// err.log: the diagnostic-mode record of trapped failures, one line per entry
// in the executable's folder. Logging never fails and never throws.
#pragma once

#include "clock.h"
#include "errors.h"

#include <filesystem>
#include <string>

namespace qb41 {

class ErrorLog {
public:
    // `enabled` is the diagnostic mode; outside it LogError writes nothing.
    ErrorLog(std::filesystem::path folder, bool enabled, const Clock& clock);

    // Appends: date "," time ":" source " -> " text CR LF.
    void LogError(const std::string& source, const std::string& text) const noexcept;
    void LogError(const std::string& source, const std::exception& error) const noexcept {
        LogError(source, ErrorText(error));
    }

    std::filesystem::path path() const { return folder_ / "err.log"; }
    bool enabled() const { return enabled_; }

private:
    std::filesystem::path folder_;
    bool enabled_;
    const Clock& clock_;
};

// The folder of the running executable (where err.log, the destination default
// files and the help file live). Falls back to the current directory.
std::filesystem::path ExecutableFolder();

} // namespace qb41
