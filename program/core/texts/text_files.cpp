#include "program/core/texts/text_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "platform/file_replace.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/msgbox.h"
#include "program/core/startup/program_state.h"
#include "program/core/settings/split_file_path.h"

namespace yov {

namespace {

bool writeAll(int fd, const std::string& bytes) { return plat::writeAll(fd, bytes.data(), bytes.size()); }

// "ERC" or "ERW" with the error's number, its description and the file.
bool fail(const char16_t* key, int err, std::u16string_view path) {
    ShowMsgBox(FormatText(key, {err, plat::utf8ToUtf16(std::strerror(err)), path}), msgbox::kOk, u"");
    return false;
}

bool isFile(const std::string& path, struct stat& info) {
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string temporaryBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

bool append(const std::string& target, const std::string& bytes, std::u16string_view path) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return fail(u"ERC", errno, path);
    bool ok = writeAll(fd, bytes);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    return ok || fail(u"ERW", err, path);
}

// The new contents go to a file beside the target, which is renamed over the target only
// once it is complete: a full disk or a failing write never costs the old file.
bool replace(const std::string& target, const std::string& bytes, bool keepBackup, std::u16string_view path) {
    struct stat old {};
    const bool exists = isFile(target, old);
    const std::string temp = temporaryBeside(target);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return fail(u"ERC", errno, path);
    if (exists) ::fchmod(fd, old.st_mode & 07777);
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return fail(u"ERW", err, path);
    }
    std::string backup;
    if (keepBackup && exists) {
        backup = plat::utf16ToUtf8(backupFileName(plat::utf8ToUtf16(target)));
        if (::rename(target.c_str(), backup.c_str()) != 0) {
            // Replaced without its backup the old text would be lost for good: it stays instead.
            err = errno;
            ::unlink(temp.c_str());
            return fail(u"ERW", err, path);
        }
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
        if (!backup.empty()) ::rename(backup.c_str(), target.c_str());
        ::unlink(temp.c_str());
        return fail(u"ERW", err, path);
    }
    return true;
}

}  // namespace

std::u16string backupFileName(std::u16string_view path) {
    // The name keeps its spelling: on this system letter case names another file.
    const plat::PathParts parts = plat::splitFilePath(plat::utf16ToUtf8(path));
    return plat::utf8ToUtf16(plat::joinPath(parts.dir, parts.name + "_bak" + parts.ext));
}

bool BackupFile(std::u16string_view path, bool keep) {
    const std::string target = openPath(path);
    struct stat info {};
    if (!isFile(target, info)) return true;
    if (!keep) return ::unlink(target.c_str()) == 0;
    const std::string backup = plat::utf16ToUtf8(backupFileName(plat::utf8ToUtf16(target)));
    return ::rename(target.c_str(), backup.c_str()) == 0;
}

bool SaveTextFile(std::u16string_view path, std::u16string_view text1, std::u16string_view text2, int32_t flags) {
    if (path.empty()) return false;
    try {
        const std::string bytes =
            plat::encodeCodePage(text1, kAnsiCodePage) + plat::encodeCodePage(text2, kAnsiCodePage);
        const std::string target = createPath(path);
        if (target.empty()) return fail(u"ERC", ENOENT, path);
        if ((flags & kSaveAppend) != 0) return append(target, bytes, path);
        const bool keepBackup = (flags & kSaveBackup) != 0 && (flags & kSaveKeepBackup) != 0;
        return replace(target, bytes, keepBackup, path);
    } catch (...) {
        ShowHandledError();  // out of memory, say: shown like the other failures, not raised
        return false;
    }
}

}  // namespace yov
