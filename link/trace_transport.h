// A Transport that passes everything to another one and writes every byte
// sent and received to a text stream, with the time since the trace began:
//
//   0.000123 open /dev/ttyUSB0
//   0.001002 > 01 31 32 30 30 34 30 ...
//   0.012345 < 01 31 32 ...
//   0.050000 flush (3 bytes dropped)
//
// For support: `qb41-cli --trace FILE` turns it on. Plain C++ over the Clock.
#pragma once

#include "transport.h"

#include <ostream>

namespace qb41::link {

class TraceTransport : public Transport {
public:
    TraceTransport(Transport& inner, const Clock& clock, std::ostream& out);

    void open(const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    WaitStatus waitForBytes(std::size_t count, Clock::TimePoint deadline,
                            const CancelToken& cancel) override;
    void flushInput() override;

private:
    void Line(const char* what, std::span<const std::uint8_t> bytes = {});

    Transport& inner_;
    const Clock& clock_;
    std::ostream& out_;
    Clock::TimePoint start_;
};

} // namespace qb41::link
