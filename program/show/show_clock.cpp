#include "program/show/show_clock.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

#include "platform/perf_counter.h"

namespace yov {

ShowClock::ShowClock()
    : tickCount([] { return plat::GetTickCount32(); }),
      sleep([](int32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }),
      pumpEvents([] {
          if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
      }),
      perfCounter([] { return plat::QueryPerfCounter(); }) {}

ShowClock& showClock() {
    static ShowClock clock;
    return clock;
}

}  // namespace yov
