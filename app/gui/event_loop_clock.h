// The window's clock: the program's fixed pauses run a local event loop that
// keeps painting and timers going but holds user input back, so a pause never
// freezes the window and no command interleaves with the work it delays.
#pragma once

#include "core/clock.h"

namespace qb41::gui {

class EventLoopClock : public SystemClock {
public:
    void pause(std::chrono::milliseconds duration) override;
};

} // namespace qb41::gui
