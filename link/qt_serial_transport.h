// The serial line through QSerialPort: the link's only Qt code (target
// qb41_link_qt).
//
// Waits block in QSerialPort::waitForReadyRead in slices of at most 10 ms, so a
// cancel from another thread is seen within a slice and a byte is seen as soon
// as it arrives. When the far end goes away (USB adapter pulled, simulator
// gone) the port reports a read or resource error: the port is closed at once
// and the wait answers LineLost, instead of spinning on the error.
//
// The port is created in open() on the calling thread and destroyed in
// close(), so each operation uses it on one thread. That thread needs an event
// dispatcher for the port's notifiers: a QThread, or a thread that has a
// QCoreApplication (QtCoreScope makes one for the command-line tool).
#pragma once

#include "transport.h"

#include <chrono>
#include <memory>

class QCoreApplication;
class QSerialPort;

namespace qb41::link {

class QtSerialTransport : public Transport {
public:
    // `clock` must be the real clock: the port waits in real time.
    explicit QtSerialTransport(const Clock& clock);
    ~QtSerialTransport() override;

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
    bool LineFailed();

    const Clock& clock_;
    std::unique_ptr<QSerialPort> port_;
};

// Creates a QCoreApplication for the lifetime of the scope when the process
// has none (the command-line tool); does nothing inside a Qt application.
class QtCoreScope {
public:
    QtCoreScope();
    ~QtCoreScope();
    QtCoreScope(const QtCoreScope&) = delete;
    QtCoreScope& operator=(const QtCoreScope&) = delete;

private:
    std::unique_ptr<QCoreApplication> app_;
};

} // namespace qb41::link
