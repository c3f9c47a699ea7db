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

// Appends the line. Never throws and never reports: a log that cannot be written is
// passed over. While the error-log view is open (RunMode 14) the line goes there too.
void WriteErrorLog(std::u16string_view line) noexcept;

// The log file: ErrorLogPath, else TempDir with the log's name, else the system's
// temporary folder with it.
std::u16string errorLogFile();

}  // namespace yov
