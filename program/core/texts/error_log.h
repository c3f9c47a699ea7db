// The error log "Rolvane.err" in the temporary folder.
//
// The first line a run writes is "Rolvane started at " and the start time, or, when the
// log has grown over 1 MiB, the log starts afresh with "Error file truncated at " and the
// start time. Logged lines carry no stamp. Lines are UTF-8 with CR LF endings, each
// written with one append so that instances running side by side never mix their lines.
#pragma once

#include <string>
#include <string_view>

namespace yov {

inline constexpr const char16_t* kErrorLogName = u"Rolvane.err";
inline constexpr long long kErrorLogLimit = 0x100000;
// What one show may write: a fault that comes back for as long as the show runs cannot
// fill the disk. The line that says so is the last the show writes.
inline constexpr long long kShowLogLimit = 0x40000;

// Appends the line. Never throws and never reports: a log that cannot be written is
// passed over. While the error-log view is open (RunMode 14) the line goes there too.
// While a show runs (RunFlags set) it writes at most kShowLogLimit bytes.
void WriteErrorLog(std::u16string_view line) noexcept;

// Starts the count of what the show about to run writes.
void BeginShowLog() noexcept;

// The log file: ErrorLogPath, else TempDir with the log's name, else the system's
// temporary folder with it.
std::u16string errorLogFile();

}  // namespace yov
