// A folder of the fuzz run's own under the temporary folder, removed when the run ends:
// the program's settings (YOV_CONFIG_HOME) and any files a target writes go there, never
// into the user's.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::filesystem::path& ScratchFolder(const char* target) {
    static const std::filesystem::path folder = [target] {
        std::filesystem::path f =
            std::filesystem::temp_directory_path() / (target + ("." + std::to_string(::getpid())));
        std::filesystem::create_directories(f);
        ::setenv("YOV_CONFIG_HOME", f.c_str(), 1);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchFolder(nullptr), ec);
        });
        return f;
    }();
    return folder;
}
