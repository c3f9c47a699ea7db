#include "program/core/startup/program_clock.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

#include "platform/perf_counter.h"

namespace yov {

uint32_t ProgramClock::tickCount() { return plat::GetTickCount32(); }

void ProgramClock::sleep(int32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void ProgramClock::pumpEvents() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

int64_t ProgramClock::perfCounter() { return plat::QueryPerfCounter(); }

}  // namespace yov
