#include "cli.h"

#include "serial_line.h"

namespace qb41::cli {

// qb41-cli ports: device, description, USB vendor:product, one port a line.
int RunPorts(Context& context, const Arguments& args) {
    if (!args.operands().empty()) throw UsageError{"ports takes no arguments"};
    const std::vector<PortListing> ports = ListSerialPorts();
    if (ports.empty()) {
        context.err << "qb41-cli ports: no serial ports found (is the cable plugged in?)\n";
        return 1;
    }
    for (const PortListing& port : ports)
        context.out << port.device << '\t' << port.description << '\t' << port.ids << '\n';
    return 0;
}

} // namespace qb41::cli
