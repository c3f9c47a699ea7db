// The program's side of the binding to the engine: starting it with the program's callbacks,
// shared record and arrays, and the callback through which it reports commands of the
// program's windows, close requests, menu-caption requests, messages and waiting ticks.
#pragma once

#include <cstdint>

#include "lumvatek/event_codes.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace yov {

// InitDLL with the program's callbacks, SharedState and the ten shared arrays (after the
// program's window operations are handed over).
void InitEngine();

// InitDLL over the program's shared record and its ten shared arrays, with the given
// callbacks (the program's own, or a test's).
LvResult InitEngineOnProgramArrays(LvEventProc onEvent, LvRandomProc random);

// The engine's event callback. Always 0. Nothing raised in here reaches the engine: 6009 is
// dropped, 6016 (a stop already reported) becomes a stop request, any other error is shown.
// Allocation reports (211, 212) may arrive on engine threads and touch nothing.
int32_t OnEngineEvent(DllEventRec* record) noexcept;

namespace engine_event {
using namespace lv_event;
// Window events of the running show (Code 0) and of the program's window slots.
inline constexpr int16_t kShowCommand = 0;
inline constexpr int16_t kFirstSlot = 1;
inline constexpr int16_t kLastSlot = 44;
}  // namespace engine_event

}  // namespace yov
