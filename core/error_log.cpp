#include "error_log.h"

#include "platform.h"

#include <cstdio>
#include <ctime>

namespace qb41 {

ErrorLog::ErrorLog(std::filesystem::path folder, bool enabled, const Clock& clock)
    : folder_(std::move(folder)), enabled_(enabled), clock_(clock) {}

void ErrorLog::LogError(const std::string& source, const std::string& text) const noexcept {
    if (!enabled_) return;
    try {
        std::time_t t = std::chrono::system_clock::to_time_t(clock_.wallNow());
        const std::tm local = platform::LocalTime(t);
        char date[32] = "";
        char time[32] = "";
        std::strftime(date, sizeof date, "%Y-%m-%d", &local);
        std::strftime(time, sizeof time, "%H:%M:%S", &local);
        std::string line = std::string(date) + "," + time + ":" + source + " -> " + text + "\r\n";
        std::FILE* file = platform::OpenFile(path(), "ab");
        if (!file) return;
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    } catch (...) {
        // Logging is best effort by design.
    }
}

std::filesystem::path ExecutableFolder() {
    return platform::ExecutableFolder();
}

} // namespace qb41
