// The serial line of the command-line tool and the ports it lists: through
// QSerialPort where the tool is built with Qt (serial_line_qt.cpp), through
// the Win32 adapter on Windows without Qt (serial_line_win32.cpp).
#pragma once

#include "core/clock.h"
#include "link/transport.h"

#include <memory>
#include <string>
#include <vector>

namespace qb41::cli {

class SerialLine {
public:
    // `clock` must be the real clock.
    explicit SerialLine(const Clock& clock);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    link::Transport& transport();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// One line of 'qb41-cli ports'.
struct PortListing {
    std::string device;      // as --port takes it
    std::string description; // "-" when the system gives none
    std::string ids;         // USB "vendor:product" in hex, "-" when unknown
};
std::vector<PortListing> ListSerialPorts();

} // namespace qb41::cli
