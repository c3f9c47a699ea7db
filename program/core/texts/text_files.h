// Writing the program's text files, with one backup copy kept on request.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

inline constexpr int32_t kSaveAppend = 0x01;
inline constexpr int32_t kSaveBackup = 0x02;  // replace the file, keeping a backup with 0x04
inline constexpr int32_t kSaveKeepBackup = 0x04;

// The backup name of a file: the lower-cased name with "_bak" before its extension, in
// the file's folder (a.ttt keeps its backup as a_bak.ttt).
std::u16string backupFileName(std::u16string_view path);

// Before a file is rewritten in place: without `keep` the file is deleted; with it, it
// becomes the backup (replacing an older one). Nothing when there is no file. False when
// the file could not be deleted or renamed: it is still there and must not be rewritten.
[[nodiscard]] bool BackupFile(std::u16string_view path, bool keep);

// Writes text1 and text2 exactly as they are (nothing between or after them) in the
// program's code page: appended with kSaveAppend, else the file is replaced. A replaced
// file is written beside the target first and renamed over it, so a failed write leaves
// the old file (and, with kSaveBackup | kSaveKeepBackup, the old file becomes the backup
// only once the new one is complete; when it cannot become the backup, the old file stays
// and nothing is written). Failures are shown with the texts of "ERC" (cannot
// create) and "ERW" (cannot write) and give false; nothing is raised. An empty path gives
// false without a message.
bool SaveTextFile(std::u16string_view path, std::u16string_view text1, std::u16string_view text2, int32_t flags);

}  // namespace yov
