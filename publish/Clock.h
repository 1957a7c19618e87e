// Time and waiting, injected so that tests never sleep.
#pragma once

#include <atomic>
#include <cstdint>

#include "publish/Protocol.h"

namespace licytek::publish {

// A steady count of milliseconds: only differences between two readings mean anything.
using Milliseconds = std::int64_t;

class Clock {
  public:
    virtual ~Clock() = default;
    virtual Seconds Now() = 0;
    // For pacing requests; a clock that only moves its seconds paces by them.
    virtual Milliseconds Steady() { return Now() * 1000; }
    // Waits `seconds`; false when `cancel` was set meanwhile (checked at least every 100 ms).
    virtual bool Wait(Seconds seconds, const std::atomic<bool>* cancel) = 0;
};

// The real clock: the system's time and sleeps.
Clock& SystemClock();

}  // namespace licytek::publish
