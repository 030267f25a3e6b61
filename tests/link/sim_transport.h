// A Transport whose far end is the simulated radio, in-process, on a
// ManualClock: a wait with nothing to come moves the clock to its deadline,
// so time limits cost no real time.
#pragma once

#include "link/transport.h"
#include "sim_radio.h"

#include "core/clock.h"
#include "core/errors.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <new>

namespace qb41::link {

class SimTransport : public Transport {
public:
    SimTransport(sim::SimRadio& radio, ManualClock& clock) : radio_(radio), clock_(clock) {}

    void open(const PortSettings& settings) override {
        if (failOpen) throw RuntimeError(ErrorNumber::PortNotAvailable);
        device = settings.device;
        open_ = true;
        ++opens;
    }
    void close() override {
        open_ = false;
        input_.clear();
    }
    bool isOpen() const override { return open_; }

    bool write(std::span<const std::uint8_t> bytes) override {
        if (throwOnWrite && ++writes == throwOnWrite) throw std::bad_alloc();
        if (!open_ || hungUp_) {
            close();
            return false;
        }
        sent.insert(sent.end(), bytes.begin(), bytes.end());
        for (std::uint8_t byte : bytes) {
            if (auto reaction = radio_.receive(byte)) {
                input_.insert(input_.end(), reaction->reply.begin(), reaction->reply.end());
                hungUp_ = hungUp_ || reaction->hangUp;
            }
        }
        return true;
    }
    std::size_t bytesAvailable() override { return input_.size(); }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        const std::size_t n = std::min(buffer.size(), input_.size());
        std::copy_n(input_.begin(), n, buffer.begin());
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }
    WaitStatus waitForBytes(std::size_t count, Clock::TimePoint deadline,
                            const CancelToken& cancel) override {
        ++waits;
        if (onWait) onWait(waits);
        if (input_.size() >= count) return WaitStatus::Ready;
        if (hungUp_) {
            close();
            return WaitStatus::LineLost;
        }
        if (cancel.requested()) return WaitStatus::Cancelled;
        if (deadline > clock_.now())
            clock_.advance(std::chrono::ceil<std::chrono::milliseconds>(deadline - clock_.now()));
        return WaitStatus::Timeout;
    }
    void flushInput() override { input_.clear(); }

    bool failOpen = false;
    int throwOnWrite = 0;            // the n-th write throws (0: never)
    std::function<void(int)> onWait; // called with the count of waits so far
    Bytes sent;                      // everything written, in order
    std::string device;
    int opens = 0;
    int waits = 0;
    int writes = 0;

private:
    sim::SimRadio& radio_;
    ManualClock& clock_;
    std::deque<std::uint8_t> input_;
    bool open_ = false;
    bool hungUp_ = false;
};

} // namespace qb41::link
