// The port diagnosis, the link's one look at the device itself: one
// implementation per platform.
#include "explanation.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qb41::link {

#if defined(_WIN32)

PortDiagnosis DiagnosePort(const std::string& device) {
    // "\\.\COM5" and "COM5" name the same device; a device that is listed is
    // held by another program, since it would not open.
    std::string name = device;
    if (name.rfind("\\\\.\\", 0) == 0) name = name.substr(4);
    char target[512];
    if (QueryDosDeviceA(name.c_str(), target, sizeof target) == 0) return {PortCause::Missing, {}};
    return {PortCause::Busy, {}};
}

#else

PortDiagnosis DiagnosePort(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return {PortCause::Missing, {}};
    if (!S_ISCHR(st.st_mode)) return {PortCause::NotSerialDevice, {}};
    if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        const struct group* owner = ::getgrgid(st.st_gid);
        return {PortCause::PermissionDenied, owner ? owner->gr_name : std::to_string(st.st_gid)};
    }
    // A character device that is no terminal (/dev/null, /dev/zero) cannot
    // carry the line. Opening it non-blocking takes no lock and changes no
    // line setting.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        const bool terminal = ::isatty(fd) != 0;
        ::close(fd);
        if (!terminal) return {PortCause::NotSerialDevice, {}};
    }
    return {PortCause::Busy, {}};
}

#endif

} // namespace qb41::link
