#include "trace_transport.h"

#include <cstdio>
#include <string>

namespace qb41::link {

TraceTransport::TraceTransport(Transport& inner, const Clock& clock, std::ostream& out)
    : inner_(inner), clock_(clock), out_(out), start_(clock.now()) {}

void TraceTransport::Line(const char* what, std::span<const std::uint8_t> bytes) {
    const double seconds = std::chrono::duration<double>(clock_.now() - start_).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.6f ", seconds);
    std::string line = stamp;
    line += what;
    for (std::uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned>(byte));
        line += hex;
    }
    out_ << line << '\n' << std::flush;
}

void TraceTransport::open(const PortSettings& settings) {
    try {
        inner_.open(settings);
    } catch (const std::exception& error) {
        Line(("open " + settings.device + " failed: " + error.what()).c_str());
        throw;
    }
    Line(("open " + settings.device).c_str());
}

void TraceTransport::close() {
    if (inner_.isOpen()) Line("close");
    inner_.close();
}

bool TraceTransport::isOpen() const {
    return inner_.isOpen();
}

bool TraceTransport::write(std::span<const std::uint8_t> bytes) {
    const bool ok = inner_.write(bytes);
    Line(ok ? ">" : "> (line failed)", bytes);
    return ok;
}

std::size_t TraceTransport::bytesAvailable() {
    return inner_.bytesAvailable();
}

std::size_t TraceTransport::read(std::span<std::uint8_t> buffer) {
    const std::size_t n = inner_.read(buffer);
    if (n > 0) Line("<", buffer.first(n));
    return n;
}

WaitStatus TraceTransport::waitForBytes(std::size_t count, Clock::TimePoint deadline,
                                        const CancelToken& cancel) {
    const WaitStatus status = inner_.waitForBytes(count, deadline, cancel);
    if (status == WaitStatus::Timeout) Line("(time limit reached)");
    if (status == WaitStatus::LineLost) Line("(line lost)");
    if (status == WaitStatus::Cancelled) Line("(cancelled)");
    return status;
}

void TraceTransport::flushInput() {
    const std::size_t dropped = inner_.bytesAvailable();
    inner_.flushInput();
    if (dropped > 0) Line(("flush (" + std::to_string(dropped) + " bytes dropped)").c_str());
}

} // namespace qb41::link
