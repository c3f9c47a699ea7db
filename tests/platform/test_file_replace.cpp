// Replacing a file through a temporary one: the permissions the new file is given before
// it takes the target's place.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "platform/file_replace.h"
#include "scratch_dir.h"

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

TEST(ReplaceFileAtomically, GivesTheNewFileItsModeWhetherTheTargetExistedOrNot) {
    struct Case {
        const char* name;
        bool targetExists;
        bool modeGiven;
        mode_t expected;
    };
    const Case cases[] = {
        {"NewPrivateByDefault", false, false, 0600},
        {"NewWithMode", false, true, 0644},
        {"ReplacedPrivateByDefault", true, false, 0600},
        {"ReplacedWithMode", true, true, 0644},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testutil::ScratchDir dir;
        const std::string target = dir.File("data.bin");
        if (c.targetExists) std::ofstream(target) << "old";
        std::string error;
        const auto done = c.modeGiven ? plat::replaceFileAtomically(target, "new", error, 0644)
                                      : plat::replaceFileAtomically(target, "new", error);
        ASSERT_TRUE(done.has_value()) << error;
        EXPECT_EQ(Contents(target), "new");
        EXPECT_EQ(ModeOf(target), c.expected);
    }
}

}  // namespace
