// The few operating-system services the program needs, behind one small
// interface: platform_posix.cpp (Linux, macOS) and platform_win.cpp (Windows)
// implement it, and nothing else includes a POSIX or Win32 header (the
// simulator and the Win32 serial adapter aside).
//
// Paths cross this interface as std::filesystem::path, which is wide on
// Windows, so any name the file system accepts is opened as it stands. Text
// that names a path (arguments, messages) is UTF-8 on every platform;
// PathFromUtf8 and PathToUtf8 convert.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace qb41::platform {

// ---- text and paths ----

std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);

// The command line as UTF-8, the program name first. On Windows it is taken
// from the wide command line (argv is in the ANSI code page there).
std::vector<std::string> CommandLine(int argc, char** argv);

// Text written to the console is UTF-8 (the console's code page is set so on
// Windows; elsewhere the terminal already takes it).
void UseUtf8Console();

// ---- processes ----

// The folder of the running program (inside an app bundle on macOS:
// Contents/MacOS).
std::filesystem::path ExecutableFolder();

long ProcessId();
// The process that started this one (0 when unknown).
long ParentProcessId();
// False only when no process with that id exists any more (one we may not
// inspect counts as running).
bool ProcessRunning(long id);

// ---- time ----

std::tm LocalTime(std::time_t time);

// ---- the console ----

// Whether standard error is a terminal (a console window on Windows).
bool StandardErrorIsTerminal();

// Ctrl+C, the end of the session (SIGHUP, the console window closed) and a
// request to terminate call `onStop(context)` while the scope lives; a second
// request ends the process as usual. `onStop` must be safe in a signal
// handler (an atomic store). One scope at a time.
class StopScope {
public:
    using Handler = void (*)(void* context) noexcept;
    StopScope(Handler onStop, void* context);
    ~StopScope();
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;
};

// ---- files ----

// fopen of a path as the path (wide on Windows). errno is set on failure.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// Gives the file being written the permission bits of `previous`, and its
// owner and group where the system permits; nothing when `previous` is
// missing or the platform has no such attributes.
void KeepFileAttributes(std::FILE* file, const std::filesystem::path& previous);

// Forces the written bytes to the disk; false (with errno set) when that
// failed in a way that matters (a file system that cannot sync is no failure).
bool SyncFile(std::FILE* file);

// Renames `from` over `to` in one step, replacing a file there. On Windows a
// file that another process has open cannot be replaced (a reader, or a save
// that has just renamed its own file there): the rename is tried again for
// up to two seconds while that is the reason.
std::error_code RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Whether this process may create files in `folder`.
bool FolderWritable(const std::filesystem::path& folder);
// Whether this process may write the existing file `path`.
bool FileWritable(const std::filesystem::path& path);

// The longest file name (without folder) the file system of `folder` takes.
long MaxFileNameLength(const std::filesystem::path& folder);

// The folder for this user's program data, by the platform's convention:
// $XDG_DATA_HOME or ~/.local/share on Linux, ~/Library/Application Support
// on macOS, %LOCALAPPDATA% on Windows. The program adds "QB41/...".
std::filesystem::path UserDataFolder();

// ---- serial ports ----

// Why a serial device would not open, found on the device itself.
struct PortDiagnosis {
    enum class Kind {
        Missing,          // no such device
        NotSerialDevice,  // a file, a folder, /dev/null: no terminal
        PermissionDenied, // exists, not ours to open
        Busy,             // exists and permitted: another program holds it
    };
    Kind kind = Kind::Busy;
    std::string group; // PermissionDenied on POSIX: the device's group
};
PortDiagnosis DiagnosePort(const std::string& device);

// Takes an exclusive advisory lock on an open serial device (a file
// descriptor on POSIX), so that every name of one device excludes the others.
// True when it was taken or the platform locks ports itself.
bool LockPortExclusively(std::intptr_t handle);

} // namespace qb41::platform
