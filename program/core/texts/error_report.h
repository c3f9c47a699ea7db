// The central error report: every long operation's handler hands the pending error here.
//
//   try { ... } catch (...) { ReportError(31017, message, 0x0F0900C0); }
//
// The report logs, shows a message box, sets the stop request or raises error 6016
// ("already reported") as its flag bits say. Once an error has been reported and raised
// again as 6016, outer handlers that report it show nothing and log nothing (unless they
// ask for the log line regardless), so an error is never reported twice.
#pragma once

#include <cstdint>
#include <string_view>

#include "program/core/texts/program_error.h"

namespace yov {

namespace report_flag {
inline constexpr int32_t kStyleMask = 0x000000FF;      // the message box's buttons; 0 = no box
inline constexpr int32_t kStopOnCancel = 0x00010000;   // an answer with 0x80 sets StopRequest
inline constexpr int32_t kRaiseOnCancel = 0x00020000;  // an answer with 0x80 raises 6016 at once
inline constexpr int32_t kRaiseAfter = 0x00040000;     // raise 6016 after the report
inline constexpr int32_t kAlwaysLog = 0x00080000;
inline constexpr int32_t kMessageOnly = 0x00100000;        // the pending error is not taken
inline constexpr int32_t kStopAfter = 0x00200000;          // set StopRequest after the report
inline constexpr int32_t kLogUnlessReported = 0x02000000;  // log unless the error is 6016
}  // namespace report_flag

// Reports the error being handled (inside a catch block; none elsewhere) with the caller's
// handler code (shown as "EH="), an additional message and the message box's title.
// Returns the message box's answer, 0 when none was shown; raises ProgramError 6016
// instead of returning where the flags ask for it.
int32_t ReportError(int32_t position, std::u16string_view message, int32_t flags, std::u16string_view title = {});
// The same for an explicitly given pending error.
int32_t ReportError(const PendingError& pending, int32_t position, std::u16string_view message, int32_t flags,
                    std::u16string_view title = {});

// For handlers that must not let an error go on (Qt's event delivery, the engine's
// callback): shows the error being handled as "Error (n) description" unless it was
// already reported (6016) or is nobody's business, never throws, and returns its number.
int32_t ShowHandledError() noexcept;

// A message for the user as error 6002; while a show runs (RunFlags 0x08) it is logged at
// once and raised as 6016, so the show's handlers pass it on without a box.
[[noreturn]] void RaiseProgramError(std::u16string_view message);

}  // namespace yov
