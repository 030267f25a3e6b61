#include "serial_line.h"

#include "link/win32_serial_transport.h"

namespace qb41::cli {

class SerialLine::Impl {
public:
    explicit Impl(const Clock& clock) : serial(clock) {}
    link::Win32SerialTransport serial;
};

SerialLine::SerialLine(const Clock& clock) : impl_(std::make_unique<Impl>(clock)) {}
SerialLine::~SerialLine() = default;

link::Transport& SerialLine::transport() {
    return impl_->serial;
}

std::vector<PortListing> ListSerialPorts() {
    std::vector<PortListing> listing;
    for (const link::ComPortEntry& port : link::ListComPorts())
        listing.push_back({port.name, port.description.empty() ? "-" : port.description, "-"});
    return listing;
}

} // namespace qb41::cli
