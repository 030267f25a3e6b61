// The serial line of the command-line tool and the ports it lists: through
// QSerialPort where the tool is built with Qt (serial_line_qt.cpp), through
// the Win32 adapter on Windows without Qt (serial_line_win32.cpp).
#pragma once

#include "core/clock.h"
#include "link/transport.h"

#include <chrono>
#include <functional>
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

// Work on a thread of its own that may use a SerialLine (a QThread with an
// event dispatcher where the line is QSerialPort). Joined when destroyed.
class PortThread {
public:
    explicit PortThread(std::function<void()> work);
    ~PortThread();
    PortThread(const PortThread&) = delete;
    PortThread& operator=(const PortThread&) = delete;

    // True once the work has ended; false when `timeout` passed first.
    bool wait(std::chrono::milliseconds timeout);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// What port threads need from the process while they run (the Qt core
// application where the line is QSerialPort).
class PortThreadsScope {
public:
    PortThreadsScope();
    ~PortThreadsScope();
    PortThreadsScope(const PortThreadsScope&) = delete;
    PortThreadsScope& operator=(const PortThreadsScope&) = delete;

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
