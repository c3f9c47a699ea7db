// The one road from the engine to the program: the callback InitDLL registers and the
// library's single event record with its three text buffers.
//
// Every event that acts reaches the program on the main thread during an engine call and
// goes through MainEvent(). Allocation reports (211, 212) may come from any engine thread;
// they use a record of the reporting thread's own (RaiseAllocEvent), so they never
// overwrite what the program reads in, or writes back into, the main record.
#pragma once

#include <cstdint>
#include <string_view>

#include "lumvatek/event_codes.h"
#include "lumvatek/shared.h"

namespace lvk {

// Characters a text buffer of the record holds (the 2,080-byte buffers less the two unread
// bytes, the length word and the terminating 0).
inline constexpr int kEventTextMax = 1036;

void SetEventCallback(LvEventCallback callback);
LvEventCallback EventCallback();
inline bool HasEventCallback() { return EventCallback() != nullptr; }

// Points the three texts at their buffers and empties them (library start).
void InitEventRecord();

// The main thread's record. Fields an event does not set keep their earlier values.
DllEventRec& MainEvent();

// Fill Text1..Text3 (which = 1, 2, 3). 8-bit text is UTF-8; a text longer than the buffer
// is cut at kEventTextMax characters.
void SetEventText(int which, const char* text);
void SetEventText(int which, std::string_view text);
void SetEventText(int which, std::u16string_view text);

// Raises the main record with Code := code (other fields as the caller left them).
// Returns the callback's result, 0 when no callback is registered.
int32_t RaiseEvent(int16_t code);

// A message for the user (206), formatted like printf into at most 1,023 characters.
int32_t RaiseMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Allocation (211) and release (212) reports, on the calling thread's own record.
void RaiseAllocEvent(int16_t code, int32_t arg1, int32_t arg2, int32_t arg3);

}  // namespace lvk
