// The last step of both stock writers: the whole file written to a temporary file beside
// the target, flushed, and renamed over it, so a failed save leaves the old file as it was.
#pragma once

#include <cstdint>
#include <string_view>

namespace lvk {

// 0; -12001 when the file cannot be created there (no such folder, no permission, a
// folder of that name); -12008 when writing, flushing or renaming fails. The file gets the
// permissions the old one had, or those of a newly created file.
int32_t WriteStockFile(const char* name, std::string_view bytes);

}  // namespace lvk
