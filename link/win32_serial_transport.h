// The serial line through the Win32 communications API, for the
// command-line tool on Windows without Qt (target qb41_link_win32).
//
// The port is opened as \\.\COMn at 9600 8N1 without flow control. A wait
// reads the bytes still missing with COMMTIMEOUTS that end the read as soon
// as they are all there, and otherwise at the link's deadline, in slices of
// at most 10 ms so that a cancel is seen within a slice. Received bytes are kept in
// a buffer of the transport's own until the link reads them. A failed read
// or write (the device gone, the far end hung up) closes the port: the wait
// answers LineLost.
#pragma once

#include "transport.h"

#include <chrono>
#include <string>
#include <vector>

namespace qb41::link {

class Win32SerialTransport : public Transport {
public:
    // `clock` must be the real clock: the port waits in real time.
    explicit Win32SerialTransport(const Clock& clock);
    ~Win32SerialTransport() override;

    void open(const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override;
    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    WaitStatus waitForBytes(std::size_t count, Clock::TimePoint deadline,
                            const CancelToken& cancel) override;
    void flushInput() override;

    // The longest single wait for a byte, so a cancel is seen in time.
    static constexpr std::chrono::milliseconds kSlice{10};

private:
    // Reads what the port has without waiting (`wait` zero), or waits up to
    // `wait` for `want` bytes. False when the line failed (the port is then
    // closed).
    bool Receive(std::chrono::milliseconds wait, std::size_t want = 0);
    // The read timeout of the next ReadFile; set only when it changes.
    bool SetReadWait(std::chrono::milliseconds wait);

    const Clock& clock_;
    void* handle_ = nullptr; // HANDLE; nullptr when closed
    unsigned long readWaitMs_ = 0;
    std::vector<std::uint8_t> received_;
};

// A serial port the system knows: "COM5" and what the registry calls it
// ("\Device\Serial0", "\Device\VCP0"...).
struct ComPortEntry {
    std::string name;
    std::string description;
};
// The COM ports listed under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, by number.
std::vector<ComPortEntry> ListComPorts();

// "COM5" -> "\\.\COM5" (which also reaches COM10 and above); a name already
// in that form is kept.
std::wstring ComDevicePath(const std::string& name);

} // namespace qb41::link
