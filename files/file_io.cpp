#include "file_io.h"

#include "core/errors.h"
#include "core/platform.h"

#include <cerrno>
#include <cstdio>
#include <utility>

namespace qb41 {
namespace {

ErrorNumber OpenErrorNumber(int error) {
    switch (error) {
    case ENOENT:
        return ErrorNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorNumber::PermissionDenied;
    case ENOSPC:
        return ErrorNumber::DiskFull;
    default:
        return ErrorNumber::PathFileAccessError;
    }
}

ErrorNumber WriteErrorNumber(int error) {
    return error == ENOSPC ? ErrorNumber::DiskFull : ErrorNumber::DeviceIoError;
}

class File {
public:
    File(const std::filesystem::path& path, const char* mode)
        : file_(platform::OpenFile(path, mode)) {}
    ~File() {
        if (file_) std::fclose(file_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::FILE* get() const { return file_; }
    // Closes once; false when the close (the final flush) failed.
    bool close() {
        std::FILE* file = std::exchange(file_, nullptr);
        return file && std::fclose(file) == 0;
    }

private:
    std::FILE* file_;
};

// FNV-1a of the file name: the temporaries of one target share a prefix.
std::string TemporaryTag(const std::string& name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

constexpr std::string_view kTemporaryPrefix = ".qb41-save-";

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    return SaveTemporaryName(target, platform::ProcessId());
}

// Temporaries of earlier saves of `target` left by processes that are gone.
void RemoveStaleTemporaries(const std::filesystem::path& target) {
    const std::string prefix =
        std::string(kTemporaryPrefix) + TemporaryTag(platform::PathToUtf8(target.filename())) + "-";
    std::error_code ec;
    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = platform::PathToUtf8(it->path().filename());
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        const std::string pid = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const long id = std::stol(pid);
        if (id == platform::ProcessId() || platform::ProcessRunning(id)) continue;
        std::error_code ignored;
        std::filesystem::remove(it->path(), ignored);
    }
}

} // namespace

std::uintmax_t FileLength(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw RuntimeError(ErrorNumber::FileNotFound);
    std::uintmax_t length = std::filesystem::file_size(path, ec);
    if (ec) throw RuntimeError(ErrorNumber::PathFileAccessError);
    return length;
}

std::string ReadWholeFile(const std::filesystem::path& path, std::uintmax_t maxBytes) {
    std::uintmax_t length = FileLength(path);
    if (length > maxBytes) throw RuntimeError(ErrorNumber::OutOfMemory);
    File file(path, "rb");
    if (!file.get()) throw RuntimeError(OpenErrorNumber(errno));
    std::string bytes(static_cast<std::size_t>(length), '\0');
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get())) throw RuntimeError(ErrorNumber::DeviceIoError);
    bytes.resize(got); // the file shrank meanwhile
    // It may also have grown: read on, but never past the limit.
    char chunk[4096];
    while (std::size_t more = std::fread(chunk, 1, sizeof chunk, file.get())) {
        if (bytes.size() + more > maxBytes) throw RuntimeError(ErrorNumber::OutOfMemory);
        bytes.append(chunk, more);
    }
    if (std::ferror(file.get())) throw RuntimeError(ErrorNumber::DeviceIoError);
    return bytes;
}

std::string ReadFileStart(const std::filesystem::path& path, std::size_t count) {
    FileLength(path); // a missing file is "File not found", as for a whole read
    File file(path, "rb");
    if (!file.get()) throw RuntimeError(OpenErrorNumber(errno));
    std::string bytes(count, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    if (std::ferror(file.get())) throw RuntimeError(ErrorNumber::DeviceIoError);
    return bytes;
}

std::filesystem::path SaveTemporaryName(const std::filesystem::path& target, long processId) {
    return target.parent_path() /
           (std::string(kTemporaryPrefix) + TemporaryTag(platform::PathToUtf8(target.filename())) +
            "-" + std::to_string(processId) + ".tmp");
}

std::filesystem::path SaveTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(target, ec)) return target;
        std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) return target;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    throw RuntimeError(ErrorNumber::PathFileAccessError, "too many levels of symbolic links");
}

void WriteFileAtomically(const std::filesystem::path& requested, std::string_view bytes) {
    const std::filesystem::path path = SaveTarget(requested);
    // The rename would replace a read-only file without asking it: its own
    // marking is the answer.
    std::error_code status;
    const std::filesystem::file_status target = std::filesystem::status(path, status);
    using std::filesystem::perms;
    if (!status && std::filesystem::is_regular_file(target) &&
        (target.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
            perms::none)
        throw RuntimeError(ErrorNumber::PermissionDenied, std::string(kReadOnlyCause));
    RemoveStaleTemporaries(path);
    std::filesystem::path temp = TemporaryBeside(path);
    try {
        File file(temp, "wb");
        if (!file.get()) throw RuntimeError(OpenErrorNumber(errno));
        platform::KeepFileAttributes(file.get(), path);
        if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
            std::fflush(file.get()) != 0)
            throw RuntimeError(WriteErrorNumber(errno));
        if (!platform::SyncFile(file.get())) throw RuntimeError(WriteErrorNumber(errno));
        if (!file.close()) throw RuntimeError(WriteErrorNumber(errno));
        const std::error_code ec = platform::RenameReplacing(temp, path);
        if (ec)
            throw RuntimeError(ec == std::errc::permission_denied
                                   ? ErrorNumber::PermissionDenied
                                   : ErrorNumber::PathFileAccessError);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw;
    }
}

} // namespace qb41

namespace qb41 {

std::string FileFailureCause(const std::exception& error) {
    const auto* runtime = dynamic_cast<const RuntimeError*>(&error);
    if (!runtime) return error.what();
    switch (runtime->number()) {
    case ErrorNumber::PermissionDenied:
        if (runtime->description() == kReadOnlyCause) return std::string(kReadOnlyCause);
        return "permission denied";
    case ErrorNumber::DiskFull:
        return "disk full";
    case ErrorNumber::FileNotFound:
    case ErrorNumber::PathNotFound:
        return "no such file or folder";
    case ErrorNumber::DeviceIoError:
        return "input/output error";
    case ErrorNumber::OutOfMemory:
        return "the file is too large";
    default:
        break;
    }
    std::string cause = runtime->description();
    if (!cause.empty() && cause[0] >= 'A' && cause[0] <= 'Z')
        cause[0] = static_cast<char>(cause[0] + 32);
    return cause;
}

std::string FileMessage(std::string_view text, const std::filesystem::path& path,
                        std::string_view cause) {
    std::string message(text);
    message += '\n';
    message += platform::PathToUtf8(path);
    message += ": ";
    message += cause;
    return message;
}

} // namespace qb41
