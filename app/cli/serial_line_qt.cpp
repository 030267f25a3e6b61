#include "serial_line.h"

#include "link/qt_serial_transport.h"

#include <QSerialPortInfo>
#include <QThread>

#include <cstdio>

namespace qb41::cli {

// The port needs an event dispatcher on this thread: a QCoreApplication.
class SerialLine::Impl {
public:
    explicit Impl(const Clock& clock) : serial(clock) {}
    link::QtCoreScope qt;
    link::QtSerialTransport serial;
};

SerialLine::SerialLine(const Clock& clock) : impl_(std::make_unique<Impl>(clock)) {}
SerialLine::~SerialLine() = default;

link::Transport& SerialLine::transport() {
    return impl_->serial;
}

class PortThread::Impl {
public:
    explicit Impl(std::function<void()> work) : thread(QThread::create(std::move(work))) {
        thread->start();
    }
    ~Impl() { thread->wait(); }
    std::unique_ptr<QThread> thread;
};

PortThread::PortThread(std::function<void()> work)
    : impl_(std::make_unique<Impl>(std::move(work))) {}
PortThread::~PortThread() = default;

bool PortThread::wait(std::chrono::milliseconds timeout) {
    return impl_->thread->wait(static_cast<unsigned long>(timeout.count()));
}

class PortThreadsScope::Impl {
public:
    link::QtCoreScope qt;
};

PortThreadsScope::PortThreadsScope() : impl_(std::make_unique<Impl>()) {}
PortThreadsScope::~PortThreadsScope() = default;

std::vector<PortListing> ListSerialPorts() {
    link::QtCoreScope qt;
    std::vector<PortListing> listing;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        std::string ids = "-";
        if (port.hasVendorIdentifier() && port.hasProductIdentifier()) {
            char text[16];
            std::snprintf(text, sizeof text, "%04x:%04x", port.vendorIdentifier(),
                          port.productIdentifier());
            ids = text;
        }
        const QString description = port.description().isEmpty() ? "-" : port.description();
        listing.push_back({port.systemLocation().toStdString(), description.toStdString(), ids});
    }
    return listing;
}

} // namespace qb41::cli
