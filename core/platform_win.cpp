// The platform interface on Windows.
#include "platform.h"

#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

namespace qb41::platform {

namespace {

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

} // namespace

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(Wide(text));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return Utf8(path.native());
}

std::vector<std::string> CommandLine(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return args;
}

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
}

std::filesystem::path ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) break;
        if (n < buffer.size()) return std::filesystem::path(buffer.substr(0, n)).parent_path();
        buffer.resize(buffer.size() * 2);
    }
    std::error_code ec;
    return std::filesystem::current_path(ec);
}

long ProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

long ParentProcessId() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    long parent = 0;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == self) parent = static_cast<long>(entry.th32ParentProcessID);
    CloseHandle(snapshot);
    return parent;
}

bool ProcessRunning(long id) {
    if (id <= 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    localtime_s(&local, &time);
    return local;
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

namespace {

struct StopTarget {
    StopScope::Handler handler;
    void* context;
};
std::atomic<const StopTarget*> gStopTarget{nullptr};
StopTarget gStopSlot{};
std::atomic<bool> gStopSeen{false};
HANDLE gScopeEnded = nullptr;

// Runs on a thread of its own. The first Ctrl+C or Ctrl+Break cancels, a
// second one ends the process (FALSE: the next handler, the default, runs).
// Closing the console or ending the session ends the process once this
// returns: give the transfer a few seconds to stop the radio first.
BOOL WINAPI OnConsoleControl(DWORD event) {
    const StopTarget* target = gStopTarget.load();
    if (!target) return FALSE;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        if (gStopSeen.exchange(true)) return FALSE;
        target->handler(target->context);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        target->handler(target->context);
        if (gScopeEnded) WaitForSingleObject(gScopeEnded, 4000);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

StopScope::StopScope(Handler onStop, void* context) {
    gStopSlot = {onStop, context};
    gStopSeen.store(false);
    if (!gScopeEnded) gScopeEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (gScopeEnded) ResetEvent(gScopeEnded);
    gStopTarget.store(&gStopSlot);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopScope::~StopScope() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    gStopTarget.store(nullptr);
    if (gScopeEnded) SetEvent(gScopeEnded);
}

// Opened with every sharing mode, delete included, as files are on POSIX:
// another process's save may then rename its finished file over this one
// while it is being read, and readers never make a save fail.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    const std::string_view m(mode);
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    int flags = _O_RDONLY;
    if (m.find('w') != std::string_view::npos) {
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        flags = _O_WRONLY;
    } else if (m.find('a') != std::string_view::npos) {
        access = FILE_APPEND_DATA;
        disposition = OPEN_ALWAYS;
        flags = _O_WRONLY | _O_APPEND;
    }
    if (m.find('+') != std::string_view::npos) {
        access |= GENERIC_READ | GENERIC_WRITE;
        flags = (flags & ~(_O_RDONLY | _O_WRONLY)) | _O_RDWR;
    }
    if (m.find('b') != std::string_view::npos) flags |= _O_BINARY;
    HANDLE handle =
        CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            errno = ENOENT;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_WRITE_PROTECT:
            errno = EACCES;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            errno = ENOSPC;
            break;
        default:
            errno = EIO;
        }
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        errno = EIO;
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, mode);
    if (!file) _close(fd);
    return file;
}

void KeepFileAttributes(std::FILE*, const std::filesystem::path&) {
    // Access on Windows comes from the folder's inherited permissions.
}

bool SyncFile(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE) return true;
    if (FlushFileBuffers(handle)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION) return true;
    errno = error == ERROR_DISK_FULL ? ENOSPC : EIO;
    return false;
}

std::error_code RenameReplacing(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
    DWORD waitMs = 1;
    for (DWORD waited = 0;; waited += waitMs, waitMs = waitMs < 64 ? waitMs * 2 : waitMs) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
        const DWORD error = GetLastError();
        const DWORD target = GetFileAttributesW(to.c_str());
        // Held open by someone else, not a folder or a read-only file: wait.
        const bool held = (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) &&
                          target != INVALID_FILE_ATTRIBUTES &&
                          !(target & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
        if (!held || waited >= 2000) {
            if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
                return std::make_error_code(std::errc::permission_denied);
            return std::error_code(static_cast<int>(error), std::system_category());
        }
        Sleep(waitMs);
    }
}

bool FolderWritable(const std::filesystem::path& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileWritable(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

long MaxFileNameLength(const std::filesystem::path& folder) {
    wchar_t root[MAX_PATH];
    DWORD longest = 0;
    if (GetVolumePathNameW(std::filesystem::absolute(folder).c_str(), root, MAX_PATH) &&
        GetVolumeInformationW(root, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) &&
        longest > 0)
        return static_cast<long>(longest);
    return 255;
}

std::filesystem::path UserDataFolder() {
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return std::filesystem::path(local);
    if (const wchar_t* profile = _wgetenv(L"USERPROFILE"); profile && *profile)
        return std::filesystem::path(profile) / L"AppData" / L"Local";
    return std::filesystem::path(L".");
}

// A COM port ("COM5", "\\.\COM12") is asked for by opening it; anything
// else is a path, which is no serial device whatever it names.
PortDiagnosis DiagnosePort(const std::string& device) {
    PortDiagnosis diagnosis;
    std::wstring name = Wide(device);
    const bool path =
        name.rfind(L"\\\\.\\", 0) != 0 && name.find_first_of(L"\\/:") != std::wstring::npos;
    if (path) {
        diagnosis.kind = GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES
                             ? PortDiagnosis::Kind::Missing
                             : PortDiagnosis::Kind::NotSerialDevice;
        return diagnosis;
    }
    if (name.rfind(L"\\\\.\\", 0) != 0) name = L"\\\\.\\" + name;
    HANDLE port = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (port != INVALID_HANDLE_VALUE) {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        // It opens now: a serial port held a moment ago, or no serial port.
        if (!GetCommState(port, &dcb)) diagnosis.kind = PortDiagnosis::Kind::NotSerialDevice;
        CloseHandle(port);
        return diagnosis;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        diagnosis.kind = PortDiagnosis::Kind::Missing;
    // ERROR_ACCESS_DENIED is what a port held by another program answers.
    return diagnosis;
}

bool LockPortExclusively(std::intptr_t) {
    return true; // a COM port opens for one program at a time
}

} // namespace qb41::platform
