#include "clock.h"

#include <thread>

namespace qb41 {

void SystemClock::pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

Clock::TimePoint ManualClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::chrono::system_clock::time_point ManualClock::wallNow() const {
    std::lock_guard lock(mutex_);
    return wall_ + (now_ - TimePoint{});
}

void ManualClock::pause(std::chrono::milliseconds duration) {
    std::lock_guard lock(mutex_);
    pauses_.push_back(duration);
    now_ += duration;
}

void ManualClock::advance(std::chrono::milliseconds duration) {
    std::lock_guard lock(mutex_);
    now_ += duration;
}

std::vector<std::chrono::milliseconds> ManualClock::pauses() const {
    std::lock_guard lock(mutex_);
    return pauses_;
}

} // namespace qb41
