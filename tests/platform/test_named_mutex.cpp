#include "platform/named_mutex.h"

#include "platform/child_process.h"
#include "platform/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace {

using plat::NamedMutex;
using Status = NamedMutex::Status;

// Restores an environment variable when the test ends.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvOverride() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class NamedMutexTest : public testing::Test {
protected:
    NamedMutex Create(const char* name) { return NamedMutex::CreateIn(dir_.Path(), name); }
    // A child process that creates the mutex and reports whether it got it.
    testutil::HeldChild HoldInChild(const char* name) {
        return testutil::HeldChild([&] {
            static NamedMutex held;  // lives until the child ends
            held = Create(name);
            return static_cast<char>(held.Owned() ? 'O' : 'x');
        });
    }

    testutil::ScratchDir dir_;
};

TEST_F(NamedMutexTest, FirstCreateOwnsSecondSeesItHeld) {
    NamedMutex first = Create("RolvaneScreensaver");
    EXPECT_EQ(first.GetStatus(), Status::Owned);
    EXPECT_FALSE(first.AlreadyExists());

    // A second handle in the same process behaves like another copy.
    NamedMutex second = Create("RolvaneScreensaver");
    EXPECT_EQ(second.GetStatus(), Status::HeldElsewhere);
    EXPECT_TRUE(second.AlreadyExists());
    EXPECT_FALSE(second.TryLock());

    first.Close();
    EXPECT_TRUE(second.TryLock());
    EXPECT_TRUE(second.Owned());
}

TEST_F(NamedMutexTest, NamesAreIndependent) {
    NamedMutex a = Create("RolvaneScr0");
    NamedMutex b = Create("RolvaneScr1");
    EXPECT_TRUE(a.Owned());
    EXPECT_TRUE(b.Owned());
}

TEST_F(NamedMutexTest, UnlockLetsAnotherHandleTakeIt) {
    NamedMutex a = Create("RolvaneScr2");
    NamedMutex b = Create("RolvaneScr2");
    ASSERT_TRUE(a.Owned());
    a.Unlock();
    EXPECT_EQ(a.GetStatus(), Status::Unlocked);
    EXPECT_TRUE(b.TryLock());
    EXPECT_FALSE(a.TryLock());
}

TEST_F(NamedMutexTest, MoveKeepsOwnership) {
    NamedMutex a = Create("RolvaneScr3");
    NamedMutex moved = std::move(a);
    EXPECT_EQ(a.GetStatus(), Status::Closed);
    EXPECT_TRUE(moved.Owned());
    EXPECT_TRUE(Create("RolvaneScr3").AlreadyExists());
    moved = NamedMutex();
    EXPECT_TRUE(Create("RolvaneScr3").Owned());
}

TEST_F(NamedMutexTest, BadNamesFailWithEinval) {
    const char* names[] = {"", ".", "..", ".hidden", "a/b", "a\\b", "../RolvaneScr0"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        NamedMutex m = Create(name);
        EXPECT_EQ(m.GetStatus(), Status::Failed);
        EXPECT_EQ(m.Error(), EINVAL);
        EXPECT_FALSE(m.TryLock());
    }
    EXPECT_EQ(Create(std::string(201, 'n').c_str()).Error(), EINVAL);
    EXPECT_TRUE(Create(std::string(200, 'n').c_str()).Owned());
}

TEST_F(NamedMutexTest, MissingFolderIsAnErrorNotACrash) {
    NamedMutex m = NamedMutex::CreateIn(dir_.File("missing"), "RolvaneScr0");
    EXPECT_EQ(m.GetStatus(), Status::Failed);
    EXPECT_EQ(m.Error(), ENOENT);
}

TEST_F(NamedMutexTest, AnotherProcessSeesTheMutexHeld) {
    testutil::HeldChild child = HoldInChild("RolvaneScreensaver");
    ASSERT_TRUE(child.Started());
    ASSERT_EQ(child.Result(), 'O');
    EXPECT_TRUE(Create("RolvaneScreensaver").AlreadyExists());
    // The child ending normally frees it.
    child.Release();
    EXPECT_TRUE(Create("RolvaneScreensaver").Owned());
}

TEST_F(NamedMutexTest, KilledHolderFreesTheMutex) {
    testutil::HeldChild child = HoldInChild("RolvaneScr4");
    ASSERT_EQ(child.Result(), 'O');
    NamedMutex waiting = Create("RolvaneScr4");
    EXPECT_TRUE(waiting.AlreadyExists());
    child.Kill();
    EXPECT_TRUE(waiting.TryLock());
}

TEST_F(NamedMutexTest, ChildFindsTheMutexHeldByThisProcess) {
    NamedMutex mine = Create("RolvaneScr5");
    ASSERT_TRUE(mine.Owned());
    testutil::HeldChild child = HoldInChild("RolvaneScr5");
    EXPECT_EQ(child.Result(), 'x');
}

// A program this process starts (a browser for a link) must not inherit the lock, or the
// next copy would find a "running" instance long after this one ended.
TEST_F(NamedMutexTest, ProgramsStartedByTheHolderDoNotKeepIt) {
    NamedMutex mine = Create("RolvaneScreensaver");
    ASSERT_TRUE(mine.Owned());
    pid_t pid = 0;
    char arg0[] = "sleep";
    char arg1[] = "60";
    char* argv[] = {arg0, arg1, nullptr};
    ASSERT_EQ(::posix_spawnp(&pid, "sleep", nullptr, nullptr, argv, environ), 0);
    mine.Close();
    EXPECT_TRUE(Create("RolvaneScreensaver").Owned());
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

TEST_F(NamedMutexTest, LockFolderFollowsXdgRuntimeDir) {
    EnvOverride xdg("XDG_RUNTIME_DIR", dir_.Path().c_str());
    std::string dir;
    ASSERT_EQ(plat::NamedMutexDir(dir), 0);
    EXPECT_EQ(dir, dir_.Path() + "/yov");
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    NamedMutex m = NamedMutex::Create("RolvaneScr0");
    EXPECT_TRUE(m.Owned());
    EXPECT_EQ(m.Path(), dir_.Path() + "/yov/RolvaneScr0.lock");
}

TEST_F(NamedMutexTest, LockFolderFallsBackToTempDir) {
    const std::string expected = dir_.Path() + "/yov-" + std::to_string(::geteuid());
    const char* unusable[] = {nullptr, "", "relative/dir"};
    for (const char* xdgValue : unusable) {
        SCOPED_TRACE(xdgValue == nullptr ? "(unset)" : xdgValue);
        EnvOverride xdg("XDG_RUNTIME_DIR", xdgValue);
        EnvOverride tmp("TMPDIR", dir_.Path().c_str());
        std::string dir;
        ASSERT_EQ(plat::NamedMutexDir(dir), 0);
        EXPECT_EQ(dir, expected);
    }
}

// In a shared temp folder someone else may have planted the name first.
TEST_F(NamedMutexTest, PlantedLockFolderIsRefused) {
    EnvOverride xdg("XDG_RUNTIME_DIR", nullptr);
    EnvOverride tmp("TMPDIR", dir_.Path().c_str());
    const std::string planted = dir_.Path() + "/yov-" + std::to_string(::geteuid());
    const std::string target = dir_.File("elsewhere");
    ASSERT_EQ(::mkdir(target.c_str(), 0777), 0);

    ASSERT_EQ(::symlink(target.c_str(), planted.c_str()), 0);
    std::string dir;
    EXPECT_EQ(plat::NamedMutexDir(dir), EACCES);
    NamedMutex viaLink = NamedMutex::Create("RolvaneScr0");
    EXPECT_EQ(viaLink.GetStatus(), Status::Failed);
    EXPECT_EQ(viaLink.Error(), EACCES);

    ASSERT_EQ(::unlink(planted.c_str()), 0);
    {
        FILE* f = std::fopen(planted.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    EXPECT_EQ(plat::NamedMutexDir(dir), EACCES);
}

}  // namespace
