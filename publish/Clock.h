// Time and waiting, injected so that tests never sleep.
#pragma once

#include <atomic>

#include "publish/Protocol.h"

namespace licytek::publish {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual Seconds Now() = 0;
    // Waits `seconds`; false when `cancel` was set meanwhile (checked at least every 100 ms).
    virtual bool Wait(Seconds seconds, const std::atomic<bool>* cancel) = 0;
};

// The real clock: the system's time and sleeps.
Clock& SystemClock();

}  // namespace licytek::publish
