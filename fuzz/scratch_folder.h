// A folder of the fuzz run's own under the temporary folder: the program's settings
// (YOV_CONFIG_HOME) and any files a target writes go there, never into the user's. It is
// removed at a normal exit; libFuzzer ends its runs without one, so each start also removes
// the folders of the target's runs whose process is gone.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

inline void RemoveFoldersOfEndedRuns(const std::string& target) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::temp_directory_path(), ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() <= target.size() + 1 || name.compare(0, target.size() + 1, target + ".") != 0) continue;
        const std::string digits = name.substr(target.size() + 1);
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
        if (::kill(static_cast<pid_t>(std::stol(digits)), 0) == -1 && errno == ESRCH)
            std::filesystem::remove_all(e.path(), ec);
    }
}

inline const std::filesystem::path& ScratchFolder(const char* target) {
    // Never destroyed: the exit handler, registered while it is made, runs after its destructor.
    static const std::filesystem::path* const folder = [target] {
        RemoveFoldersOfEndedRuns(target);
        auto* f = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                            (target + ("." + std::to_string(::getpid()))));
        std::filesystem::create_directories(*f);
        ::setenv("YOV_CONFIG_HOME", f->c_str(), 1);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchFolder(nullptr), ec);
        });
        return f;
    }();
    return *folder;
}
