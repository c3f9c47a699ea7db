// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testutil {

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = testing::TempDir() + "yov-test-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
        else
            ADD_FAILURE() << "mkdtemp failed for " << pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace testutil
