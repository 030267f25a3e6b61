// The platform interface on Linux and macOS.
#include "platform.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace qb41::platform {

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return path.string();
}

std::vector<std::string> CommandLine(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
#ifdef __APPLE__
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

void UseUtf8Console() {}

long ProcessId() {
    return static_cast<long>(::getpid());
}

long ParentProcessId() {
    return static_cast<long>(::getppid());
}

bool ProcessRunning(long id) {
    if (id <= 0) return false;
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    return local;
}

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) != 0;
}

namespace {

struct StopTarget {
    StopScope::Handler handler;
    void* context;
};
std::atomic<const StopTarget*> gStopTarget{nullptr};
StopTarget gStopSlot{};

extern "C" void OnStopSignal(int) {
    if (const StopTarget* target = gStopTarget.load()) target->handler(target->context);
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[std::size(kStopSignals)]{};

} // namespace

// SA_RESETHAND: the first signal cancels, a second one ends the process.
StopScope::StopScope(Handler onStop, void* context) {
    gStopSlot = {onStop, context};
    gStopTarget.store(&gStopSlot);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        sigaction(kStopSignals[i], &action, &gPrevious[i]);
}

StopScope::~StopScope() {
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        sigaction(kStopSignals[i], &gPrevious[i], nullptr);
    gStopTarget.store(nullptr);
}

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

void KeepFileAttributes(std::FILE* file, const std::filesystem::path& previous) {
    struct stat old {};
    if (::stat(previous.c_str(), &old) != 0) return; // a new file: the process's defaults
    const int fd = ::fileno(file);
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not permitted to give it away: keep at least the group when we may.
        [[maybe_unused]] int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

bool SyncFile(std::FILE* file) {
    return ::fsync(::fileno(file)) == 0 || errno == EINVAL || errno == EROFS;
}

std::error_code RenameReplacing(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    return ec;
}

bool FolderWritable(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool FileWritable(const std::filesystem::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

long MaxFileNameLength(const std::filesystem::path& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? limit : 255;
}

namespace {

// An environment variable's value, copied at once, so that no caller keeps a
// pointer into the environment. Reading it races only with a change of the
// environment (setenv, putenv), which the programs never make; threads that
// read at the same time (the fleet's ports making backups) are safe.
std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name); // NOLINT(concurrency-mt-unsafe): see above
    return value ? std::string(value) : std::string();
}

// The name of a group, or its number when it has none: getgrgid_r, as
// getgrgid's result lives in a buffer every thread shares.
std::string GroupName(gid_t id) {
    const long suggested = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    struct group entry {};
    struct group* found = nullptr;
    int failure = 0;
    while ((failure = ::getgrgid_r(id, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (std::size_t{1} << 20))
        buffer.resize(buffer.size() * 2);
    return failure == 0 && found ? std::string(found->gr_name) : std::to_string(id);
}

} // namespace

std::filesystem::path UserDataFolder() {
    const std::string home = EnvironmentValue("HOME");
    const std::filesystem::path homeFolder(home.empty() ? std::string(".") : home);
#ifdef __APPLE__
    return homeFolder / "Library" / "Application Support";
#else
    if (const std::string data = EnvironmentValue("XDG_DATA_HOME"); data.starts_with('/'))
        return std::filesystem::path(data);
    return homeFolder / ".local" / "share";
#endif
}

PortDiagnosis DiagnosePort(const std::string& device) {
    PortDiagnosis diagnosis;
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) {
        diagnosis.kind = PortDiagnosis::Kind::Missing;
        return diagnosis;
    }
    if (!S_ISCHR(st.st_mode)) {
        diagnosis.kind = PortDiagnosis::Kind::NotSerialDevice;
        return diagnosis;
    }
    if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        diagnosis.kind = PortDiagnosis::Kind::PermissionDenied;
        diagnosis.group = GroupName(st.st_gid);
        return diagnosis;
    }
    // A character device that is no terminal (/dev/null, /dev/zero) cannot
    // carry the line. Opening it non-blocking takes no lock and sets nothing.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        const bool terminal = ::isatty(fd) != 0;
        ::close(fd);
        if (!terminal) {
            diagnosis.kind = PortDiagnosis::Kind::NotSerialDevice;
            return diagnosis;
        }
    }
    diagnosis.kind = PortDiagnosis::Kind::Busy;
    return diagnosis;
}

bool LockPortExclusively(std::intptr_t handle) {
    return ::flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0;
}

} // namespace qb41::platform
