#include "engine/stock/stock_file_out.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/base/byte_source.h"
#include "engine/stock/stock_codes.h"
#include "engine/pictures/writers.h"

namespace lvk {

int32_t WriteStockFile(const char* name, std::string_view bytes) {
    if (name == nullptr || *name == 0) return kErrStkCreate;
    // Told apart from a failed write up front: the replacement itself only says it failed.
    const std::filesystem::path target = ResolveForWriting(name);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return kErrStkCreate;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kErrStkCreate;
    std::string error;
    return WriteWholeFile(name, bytes.data(), bytes.size(), error) == 0 ? 0 : kErrStkWrite;
}

}  // namespace lvk
