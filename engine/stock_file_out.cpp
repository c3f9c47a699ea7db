#include "engine/stock_file_out.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/byte_source.h"
#include "engine/stock_codes.h"
#include "platform/file_replace.h"

namespace lvk {
namespace {

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

int32_t WriteStockFile(const char* name, std::string_view bytes) {
    if (name == nullptr || *name == 0) return kErrStkCreate;
    const std::filesystem::path target = ResolveForWriting(name);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    struct stat st {};
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return kErrStkCreate;
    mode_t mode = NewFileMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return kErrStkCreate;
        mode = st.st_mode & 07777;
    }
    std::string error;
    std::optional<plat::ReplacedFile> done = plat::replaceFileAtomically(target, bytes, error);
    if (!done) return kErrStkWrite;
    // The temporary file was made private; a stock file is an ordinary document.
    ::fchmod(done->fd.get(), mode);
    return 0;
}

}  // namespace lvk
