#include "port_name.h"

#include <cctype>

namespace qb41::link {

std::optional<std::string> PortDeviceName(int portNumber) {
    if (portNumber < 1 || portNumber > 4) return std::nullopt;
#ifdef _WIN32
    return "COM" + std::to_string(portNumber);
#else
    return "/dev/ttyS" + std::to_string(portNumber - 1);
#endif
}

std::optional<int> ComPortNumber(const std::string& name) {
    if (name.size() != 4) return std::nullopt;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[static_cast<std::size_t>(i)])) != "COM"[i])
            return std::nullopt;
    if (name[3] < '1' || name[3] > '4') return std::nullopt;
    return name[3] - '0';
}

std::string ResolvePortName(const std::string& name) {
    if (auto number = ComPortNumber(name)) return *PortDeviceName(*number);
    return name;
}

} // namespace qb41::link
