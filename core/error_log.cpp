#include "error_log.h"

#include <cstdio>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace qb41 {

ErrorLog::ErrorLog(std::filesystem::path folder, bool enabled, const Clock& clock)
    : folder_(std::move(folder)), enabled_(enabled), clock_(clock) {}

void ErrorLog::LogError(const std::string& source, const std::string& text) const noexcept {
    if (!enabled_) return;
    try {
        std::time_t t = std::chrono::system_clock::to_time_t(clock_.wallNow());
        std::tm local{};
#if defined(_WIN32)
        localtime_s(&local, &t);
#else
        localtime_r(&t, &local);
#endif
        char date[32] = "";
        char time[32] = "";
        std::strftime(date, sizeof date, "%Y-%m-%d", &local);
        std::strftime(time, sizeof time, "%H:%M:%S", &local);
        std::string line = std::string(date) + "," + time + ":" + source + " -> " + text + "\r\n";
        std::FILE* file = std::fopen(path().string().c_str(), "ab");
        if (!file) return;
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    } catch (...) {
        // Logging is best effort by design.
    }
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
#if defined(_WIN32)
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::filesystem::path(buffer).parent_path();
#elif defined(__APPLE__)
    char buffer[4096];
    uint32_t size = sizeof buffer;
    if (_NSGetExecutablePath(buffer, &size) == 0)
        return std::filesystem::weakly_canonical(buffer, ec).parent_path();
#else
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return exe.parent_path();
#endif
    return std::filesystem::current_path(ec);
}

} // namespace qb41
