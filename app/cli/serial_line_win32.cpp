#include "serial_line.h"

#include "link/win32_serial_transport.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace qb41::cli {

class SerialLine::Impl {
public:
    explicit Impl(const Clock& clock) : serial(clock) {}
    link::Win32SerialTransport serial;
};

SerialLine::SerialLine(const Clock& clock) : impl_(std::make_unique<Impl>(clock)) {}
SerialLine::~SerialLine() = default;

link::Transport& SerialLine::transport() {
    return impl_->serial;
}

class PortThread::Impl {
public:
    explicit Impl(std::function<void()> work)
        : thread([this, work = std::move(work)] {
              work();
              std::lock_guard<std::mutex> lock(mutex);
              ended = true;
              changed.notify_all();
          }) {}
    ~Impl() { thread.join(); }

    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    std::thread thread; // last: started once the rest is there
};

PortThread::PortThread(std::function<void()> work)
    : impl_(std::make_unique<Impl>(std::move(work))) {}
PortThread::~PortThread() = default;

bool PortThread::wait(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [this] { return impl_->ended; });
}

class PortThreadsScope::Impl {};

PortThreadsScope::PortThreadsScope() : impl_(std::make_unique<Impl>()) {}
PortThreadsScope::~PortThreadsScope() = default;

std::vector<PortListing> ListSerialPorts() {
    std::vector<PortListing> listing;
    for (const link::ComPortEntry& port : link::ListComPorts())
        listing.push_back({port.name, port.description.empty() ? "-" : port.description, "-"});
    return listing;
}

} // namespace qb41::cli
