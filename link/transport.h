// The radio link: the clone protocol between this program and a radio in its
// cloning state, over a serial line.
//
// Layers, bottom up, all plain C++ except the one serial adapter:
//   transport.h   the byte line: open, write, wait for bytes up to a deadline,
//                 flush input. The protocol never touches the operating system
//                 or the real clock, so tests drive it with a simulated radio and
//                 a ManualClock. The QSerialPort adapter (qt_serial_transport.h,
//                 target qb41_link_qt) is the only Qt code of the link.
//   frame.h       hexadecimal text frames, checksums, the four commands.
//   clone_port.h  one exchange: send a command, wait for the answer, one retry.
//   clone_link.h  the operations the transfer dialog and the command-line tool
//                 run: model check, read, program, clear.
//
// Depends on core/ and image/ (decode after a read, preparation before a write).
#pragma once

#include "core/clock.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qb41::link {

// The line settings of the clone cable: 9600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control. Fixed; only the device name varies.
struct PortSettings {
    std::string device; // "/dev/ttyUSB0", "/dev/pts/3", "COM1" (Windows)
    static constexpr int kBaudRate = 9600;
    static constexpr int kDataBits = 8;
    static constexpr int kStopBits = 1;
};

// A thread-safe request to stop. The GUI's Cancel button or the command-line
// tool's Ctrl+C handler calls cancel() from any thread (it is a lock-free
// atomic store, safe in a signal handler); the link observes it only inside
// its waits for an answer, which is where a cancel is allowed to take effect.
// A request stays set until reset(), which whoever starts an operation does
// before starting it (never the operation itself, so that an early press counts).
class CancelToken {
public:
    void cancel() noexcept { requested_.store(true, std::memory_order_relaxed); }
    void reset() noexcept { requested_.store(false, std::memory_order_relaxed); }
    bool requested() const noexcept { return requested_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> requested_{false};
    static_assert(std::atomic<bool>::is_always_lock_free);
};

enum class WaitStatus {
    Ready,     // at least the requested number of bytes is buffered
    Timeout,   // the deadline passed first
    Cancelled, // the token was set while waiting
    LineLost,  // the line failed (device gone, far end hung up); the port is closed
};

class Transport {
public:
    virtual ~Transport() = default;

    // Opens the device with the fixed line settings. Throws RuntimeError
    // (core/errors.h) when the port does not exist, is in use or cannot be set up.
    virtual void open(const PortSettings& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Sends all bytes. False when the line failed (the port is then closed).
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes received and not yet read.
    virtual std::size_t bytesAvailable() = 0;
    // Moves up to buffer.size() buffered bytes into buffer; returns the count.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    // Blocks (never spins) until `count` bytes are buffered, the clock reaches
    // `deadline`, the token is set or the line fails.
    virtual WaitStatus waitForBytes(std::size_t count, Clock::TimePoint deadline,
                                    const CancelToken& cancel) = 0;
    // Discards every byte received so far.
    virtual void flushInput() = 0;
};

} // namespace qb41::link
