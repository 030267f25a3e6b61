#include "qt_serial_transport.h"

#include "core/errors.h"
#include "core/platform.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <algorithm>
#include <filesystem>
#include <type_traits>

namespace qb41::link {

namespace {

constexpr std::chrono::milliseconds kSlice{10};
constexpr int kWriteTimeoutMs = 5000;

RuntimeError OpenFailure(QSerialPort::SerialPortError error, const QString& detail) {
    ErrorNumber number = error == QSerialPort::PermissionError ? ErrorNumber::PermissionDenied
                                                               : ErrorNumber::PortNotAvailable;
    return RuntimeError(number, ErrorDescription(number) + " (" + detail.toStdString() + ")");
}

// A file descriptor on POSIX, a HANDLE on Windows.
template <typename Handle> std::intptr_t NativeHandle(Handle handle) {
    if constexpr (std::is_pointer_v<Handle>)
        return reinterpret_cast<std::intptr_t>(handle);
    else
        return static_cast<std::intptr_t>(handle);
}

} // namespace

QtSerialTransport::QtSerialTransport(const Clock& clock) : clock_(clock) {}

QtSerialTransport::~QtSerialTransport() {
    close();
}

// The device a name resolves to, so that every name of one device (a link,
// the /dev/pts/N behind it) takes the same lock.
static std::string ResolvedDevice(const std::string& device) {
    std::error_code ec;
    std::filesystem::path resolved = std::filesystem::canonical(device, ec);
    return ec ? device : resolved.string();
}

void QtSerialTransport::open(const PortSettings& settings) {
    close();
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(QString::fromStdString(ResolvedDevice(settings.device)));
    port->setBaudRate(PortSettings::kBaudRate);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) throw OpenFailure(port->error(), port->errorString());
    // Held exclusively by whoever opened the device first, whatever its name.
    if (!platform::LockPortExclusively(NativeHandle(port->handle()))) {
        port->close();
        throw RuntimeError(ErrorNumber::PortAlreadyOpen,
                           ErrorDescription(ErrorNumber::PortAlreadyOpen) +
                               " (another program holds " + settings.device + ")");
    }
    port_ = std::move(port);
}

void QtSerialTransport::close() {
    if (!port_) return;
    port_->close();
    port_.reset();
}

bool QtSerialTransport::isOpen() const {
    return port_ != nullptr;
}

// True (and the port closed) when the device is gone; other errors, such as
// a wait's time-out, are cleared.
bool QtSerialTransport::LineFailed() {
    const QSerialPort::SerialPortError error = port_->error();
    if (error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
        error == QSerialPort::ResourceError || error == QSerialPort::NotOpenError) {
        close();
        return true;
    }
    port_->clearError();
    return false;
}

bool QtSerialTransport::write(std::span<const std::uint8_t> bytes) {
    if (!port_) return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (port_->write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        close();
        return false;
    }
    while (port_->bytesToWrite() > 0) {
        if (!port_->waitForBytesWritten(kWriteTimeoutMs)) {
            LineFailed();
            close(); // no progress for seconds: nothing is listening
            return false;
        }
    }
    return true;
}

std::size_t QtSerialTransport::bytesAvailable() {
    return port_ ? static_cast<std::size_t>(port_->bytesAvailable()) : 0;
}

std::size_t QtSerialTransport::read(std::span<std::uint8_t> buffer) {
    if (!port_) return 0;
    const qint64 n =
        port_->read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

WaitStatus QtSerialTransport::waitForBytes(std::size_t count, Clock::TimePoint deadline,
                                           const CancelToken& cancel) {
    using namespace std::chrono;
    for (;;) {
        if (!port_) return WaitStatus::LineLost;
        if (static_cast<std::size_t>(port_->bytesAvailable()) >= count) return WaitStatus::Ready;
        if (cancel.requested()) return WaitStatus::Cancelled;
        const auto remaining = ceil<milliseconds>(deadline - clock_.now());
        if (remaining <= milliseconds::zero()) return WaitStatus::Timeout;
        const int slice = static_cast<int>(std::min(remaining, kSlice).count());
        if (!port_->waitForReadyRead(slice) && LineFailed()) return WaitStatus::LineLost;
    }
}

void QtSerialTransport::flushInput() {
    if (!port_) return;
    port_->clear(QSerialPort::Input);
    port_->readAll();
}

QtCoreScope::QtCoreScope() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "qb41";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QCoreApplication>(argc, argv);
}

QtCoreScope::~QtCoreScope() = default;

} // namespace qb41::link
