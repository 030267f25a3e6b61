#include "file_io.h"

#include "core/errors.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

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
        : file_(std::fopen(path.string().c_str(), mode)) {}
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

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    std::random_device random;
    char tag[16];
    std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(random()));
    std::filesystem::path name = "." + target.filename().string() + "." + tag + ".tmp";
    return target.parent_path() / name;
}

void SyncToDisk([[maybe_unused]] std::FILE* file) {
#if defined(__unix__) || defined(__APPLE__)
    if (::fsync(::fileno(file)) != 0 && errno != EINVAL && errno != EROFS)
        throw RuntimeError(WriteErrorNumber(errno));
#endif
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

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path temp = TemporaryBeside(path);
    try {
        File file(temp, "wb");
        if (!file.get()) throw RuntimeError(OpenErrorNumber(errno));
        if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
            std::fflush(file.get()) != 0)
            throw RuntimeError(WriteErrorNumber(errno));
        SyncToDisk(file.get());
        if (!file.close()) throw RuntimeError(WriteErrorNumber(errno));
        std::error_code ec;
        std::filesystem::rename(temp, path, ec);
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
