// The one seam for time: deadlines, the specified pauses (50 ms before a retry,
// 500 ms in the GUI flows) and the wall-clock time that err.log stamps. Tests
// use ManualClock, whose pauses advance time instantly and are recorded.
#pragma once

#include <chrono>
#include <mutex>
#include <vector>

namespace qb41 {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    virtual std::chrono::system_clock::time_point wallNow() const = 0;
    virtual void pause(std::chrono::milliseconds duration) = 0;
};

class SystemClock : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    std::chrono::system_clock::time_point wallNow() const override {
        return std::chrono::system_clock::now();
    }
    void pause(std::chrono::milliseconds duration) override;
};

// Time stands still until a pause or advance() moves it. Thread-safe.
class ManualClock : public Clock {
public:
    TimePoint now() const override;
    std::chrono::system_clock::time_point wallNow() const override;
    void pause(std::chrono::milliseconds duration) override;
    void advance(std::chrono::milliseconds duration);
    std::vector<std::chrono::milliseconds> pauses() const;

private:
    mutable std::mutex mutex_;
    TimePoint now_{};
    std::chrono::system_clock::time_point wall_{
        std::chrono::sys_days{std::chrono::year{2026} / 12 / 8}};
    std::vector<std::chrono::milliseconds> pauses_;
};

} // namespace qb41
