#include "platform/config_folder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace plat {

namespace {

const char* nonEmptyEnv(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? v : nullptr;
}

std::filesystem::path homeFolder() {
    if (const char* home = nonEmptyEnv("HOME")) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
    // No home at all (a stripped-down service account): the working folder is
    // the only place left that is likely writable.
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path(".") : cwd;
}

}  // namespace

std::filesystem::path configFolder() {
    if (const char* own = nonEmptyEnv("YOV_CONFIG_HOME")) return own;
    // XDG base directories must be absolute; a relative value is ignored.
    if (const char* xdg = nonEmptyEnv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return std::filesystem::path(xdg) / "yov";
    return homeFolder() / ".config" / "yov";
}

}  // namespace plat
