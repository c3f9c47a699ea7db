// Putting a written picture in place.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/base/byte_source.h"
#include "engine/pictures/writers.h"
#include "platform/file_replace.h"

namespace lvk {

namespace {

// The process's umask without changing it (umask() can only be read by setting it, which
// would race with other threads creating files).
mode_t CurrentUmask() {
    mode_t mask = 022;
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[128];
        while (std::fgets(line, sizeof line, f) != nullptr) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value & 0777);
                break;
            }
        }
        std::fclose(f);
    }
    return mask;
}

}  // namespace

int WriteWholeFile(const char* name, const void* data, size_t size, std::string& error) {
    if (name == nullptr || *name == 0) {
        error = "no file name";
        return ENOENT;
    }
    const std::string path = ResolveForWriting(name);
    // Pictures are for sharing: a replaced file keeps its permissions, a new one gets what
    // creating it with 0666 would have given, not the temporary file's private 0600.
    mode_t mode = 0666 & ~CurrentUmask();
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;

    errno = 0;
    const auto written =
        plat::replaceFileAtomically(path, std::string_view(static_cast<const char*>(data), size), error, mode);
    return written ? 0 : errno != 0 ? errno : EIO;
}

}  // namespace lvk
