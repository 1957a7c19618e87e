#include "publish/Clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace licytek::publish {
namespace {

class RealClock final : public Clock {
  public:
    Seconds Now() override {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    Milliseconds Steady() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    bool Wait(Seconds seconds, const std::atomic<bool>* cancel) override {
        using namespace std::chrono;
        const auto end = steady_clock::now() + std::chrono::seconds(seconds);
        while (steady_clock::now() < end) {
            if (cancel != nullptr && cancel->load()) {
                return false;
            }
            std::this_thread::sleep_for(
                std::min<steady_clock::duration>(milliseconds(100), end - steady_clock::now()));
        }
        return cancel == nullptr || !cancel->load();
    }
};

}  // namespace

Clock& SystemClock() {
    static RealClock clock;
    return clock;
}

}  // namespace licytek::publish
