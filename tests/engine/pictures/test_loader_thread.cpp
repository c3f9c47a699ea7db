// The loader thread's life with the library (InitDLL, CloseDLL) and the hand-over: event
// 204 on the main thread for as long as a load takes, a library stop in the middle of a
// load, and the cache file's warming while files are mapped and unmapped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "engine/cache/cache.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/events.h"
#include "engine/pictures/loader.h"
#include "loader_fixture.h"
#include "platform/scratch_dir.h"

namespace lvk {
namespace {

using loadertest::BoundEngine;
using loadertest::kBmpDir;
using loadertest::kGifDir;
using loadertest::Look;
using loadertest::Looked;

// Holds each load at its start until released.
std::atomic<bool> g_released{false};
std::atomic<bool> g_holding{false};
void HoldUntilReleased() {
    g_holding = true;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!g_released && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_holding = false;
}

class LoaderThread : public BoundEngine {
protected:
    void SetUp() override {
        g_released = false;
        g_holding = false;
        BoundEngine::SetUp();
    }
};

TEST(LoaderLife, WithoutALoaderLookPictureAnswersAtOnce) {
    ASSERT_FALSE(PictureLoaderRunning());
    const Looked l = Look(kGifDir + "hat.gif");
    EXPECT_EQ(l.result, kErrNoLoader);
    EXPECT_EQ(l.width, -1) << "the outputs stay untouched";
}

TEST_F(LoaderThread, InitDllStartsOneLoaderAndCloseDllEndsIt) {
    EXPECT_TRUE(PictureLoaderRunning());
    SharedState other;
    ASSERT_EQ(InitDLL(0, &loadertest::RecordEvent, nullptr, &other, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(Look(kGifDir + "hat.gif").result, 1) << "a repeated InitDLL keeps the loader";
    EXPECT_EQ(CloseDLL(), 0);
    EXPECT_FALSE(PictureLoaderRunning());
    EXPECT_EQ(Look(kGifDir + "hat.gif").result, kErrNoLoader);
    ASSERT_EQ(InitDLL(0, &loadertest::RecordEvent, nullptr, &shared_, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(Look(kGifDir + "hat.gif").result, 1) << "InitDLL after CloseDLL starts a loader again";
}

TEST_F(LoaderThread, TheMainThreadReceivesEvent204ForAsLongAsTheLoadTakes) {
    SetLoadStartHook(&HoldUntilReleased);
    constexpr int kWanted = 8;
    OnWait([] {
        if (Waits() >= kWanted) g_released = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const Looked l = Look(kGifDir + "harvesters.gif");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.width, 1165);
    EXPECT_EQ(l.height, 859);
    EXPECT_GE(Waits(), kWanted);
    // The waits between the events are 10 ms each (a loose lower bound only: timing is the
    // benchmark's business).
    EXPECT_GE(took, std::chrono::milliseconds(10 * (kWanted - 1) / 2));
    std::lock_guard hold(loadertest::Log().mutex);
    for (std::thread::id id : loadertest::Log().waitThreads) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST_F(LoaderThread, EvenACacheHitRaisesEvent204Once) {
    ASSERT_EQ(OpenCache(1, "memory"), 0);
    ASSERT_EQ(Look(kGifDir + "hat.gif").result, 1);
    const int before = Waits();
    ASSERT_EQ(Look(kGifDir + "hat.gif").result, 0);
    EXPECT_GE(Waits(), before + 1);
}

TEST_F(LoaderThread, AllocationReportsOfTheLoaderNeverUseTheMainRecord) {
    // Work buffers an earlier test grew without starting the library would serve the loads
    // without an allocation: the loader starts from none here.
    lvk::FreePictureBuffers();
    ASSERT_EQ(Look(kGifDir + "harvesters.gif").result, 1);
    ASSERT_EQ(Look(kBmpDir + "pal8.bmp").result, 1);
    std::lock_guard hold(loadertest::Log().mutex);
    ASSERT_FALSE(loadertest::Log().allocRecordsOffMain.empty()) << "the loader's buffers were allocated";
    for (const DllEventRec* record : loadertest::Log().allocRecordsOffMain) EXPECT_NE(record, &MainEvent());
}

TEST_F(LoaderThread, LookPictureInsideTheWaitIsRefused) {
    SetLoadStartHook(&HoldUntilReleased);
    Looked inner;
    OnWait([&inner] {
        if (inner.result == 0) inner = Look(kBmpDir + "pal8.bmp");
        g_released = true;
    });
    const Looked outer = Look(kGifDir + "hat.gif");
    EXPECT_EQ(inner.result, kErrLoadBusy);
    EXPECT_EQ(outer.result, 1);
    EXPECT_EQ(outer.width, 90);
}

// CloseDLL from inside the wait, while the loader decodes: it returns only once the loader
// has ended, so the buffers it frees are no longer in use, and the waiting LookPicture still
// gets the load's answer.
TEST_F(LoaderThread, CloseDllDuringALoadWaitsForTheLoaderBeforeFreeing) {
    SetLoadStartHook(&HoldUntilReleased);
    bool closed = false;
    OnWait([&closed] {
        if (closed || !g_holding) return;
        g_released = true;  // the decode starts now, on the loader thread
        EXPECT_EQ(CloseDLL(), 0);
        closed = true;
        EXPECT_FALSE(PictureLoaderRunning());
        EXPECT_EQ(CurPic().PictureBuffer, nullptr) << "freed after the loader ended";
    });
    const Looked l = Look(kGifDir + "harvesters.gif");
    EXPECT_TRUE(closed);
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.width, 1165);
    EXPECT_EQ(l.height, 859);
    EXPECT_EQ(Look(kGifDir + "hat.gif").result, kErrNoLoader);
}

// A stop that comes before the loader took the load still runs it.
TEST_F(LoaderThread, ALoadHandedOverBeforeTheStopIsNotSkipped) {
    bool closed = false;
    OnWait([&closed] {
        if (!closed) {
            EXPECT_EQ(CloseDLL(), 0);
        }
        closed = true;
    });
    const Looked l = Look(kGifDir + "hat.gif");
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.width, 90);
}

// The warming reads the mapped file while the cache opens, grows and closes it.
TEST_F(LoaderThread, TheWarmingFollowsTheCacheFileThroughOpenGrowAndClose) {
    testutil::ScratchDir dir;
    const std::string file = dir.File("pictures.tca");
    for (int round = 0; round < 4; ++round) {
        ASSERT_EQ(OpenCache(3, file.c_str()), 0);
        for (const char* name : {"harvesters.gif", "hat.gif", "hippopotamus.regular.gif"})
            ASSERT_GE(Look(kGifDir + name).result, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        ASSERT_EQ(CloseCache(), 0);
    }
    ASSERT_EQ(OpenCache(3, file.c_str()), 0);
    EXPECT_EQ(Look(kGifDir + "harvesters.gif").result, 0) << "kept by the file";
}

}  // namespace
}  // namespace lvk
