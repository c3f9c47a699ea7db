// The tagged allocator: its reports, its registry of live blocks, and the rule that
// reports raised on other threads never touch the main thread's event record.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/base/events.h"
#include "engine/base/memory.h"

namespace {

struct Report {
    int16_t code;
    int32_t arg1, arg2, arg3;
    const DllEventRec* record;
};

std::mutex g_lock;
std::vector<Report> g_reports;

int32_t recordReport(DllEventRec* r) {
    std::lock_guard<std::mutex> g(g_lock);
    g_reports.push_back(Report{r->Code, r->Arg1, r->Arg2, r->Arg3, r});
    return 0;
}

class MemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_reports.clear();
        lvk::SetEventCallback(&recordReport);
    }
    void TearDown() override { lvk::SetEventCallback(nullptr); }
};

TEST_F(MemoryTest, ReportsCarryTagSizeAndSerial) {
    void* p = lvk::MemAlloc(100, 34001);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(lvk::MemFree(p, 35001), 0);
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[0].code, 211);
    EXPECT_NE(g_reports[0].arg1, 0);
    EXPECT_EQ(g_reports[0].arg2, 34001);
    EXPECT_EQ(g_reports[0].arg3, 100);
    EXPECT_EQ(g_reports[1].code, 212);
    EXPECT_EQ(g_reports[1].arg1, g_reports[0].arg1) << "a release names the block its allocation named";
    EXPECT_EQ(g_reports[1].arg2, 35001);
    EXPECT_EQ(g_reports[1].arg3, 0);
}

TEST_F(MemoryTest, NullFreeDoesNothingAndDoubleFreeIsRefused) {
    EXPECT_EQ(lvk::MemFree(nullptr, 35000), 0);
    EXPECT_TRUE(g_reports.empty());
    void* p = lvk::MemAlloc(8, 34002);
    ASSERT_EQ(lvk::MemFree(p, 35002), 0);
    g_reports.clear();
    EXPECT_EQ(lvk::MemFree(p, 35002), -1);
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(MemoryTest, ReallocReportsReleaseThenAllocation) {
    void* p = lvk::MemAlloc(16, 34003);
    g_reports.clear();
    void* q = lvk::MemRealloc(p, 4096, 34004);
    ASSERT_NE(q, nullptr);
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[0].code, 212);
    EXPECT_EQ(g_reports[1].code, 211);
    EXPECT_EQ(g_reports[1].arg2, 34004);
    EXPECT_EQ(g_reports[1].arg3, 4096);
    lvk::MemFree(q, 35004);
}

TEST_F(MemoryTest, RegistryListsLiveBlocksWithTagAndSize) {
    const size_t before = lvk::LiveBlockCount();
    void* a = lvk::MemAlloc(10, 34010);
    void* b = lvk::MemAlloc(20, 34011);
    b = lvk::MemRealloc(b, 30, 34012);
    std::vector<lvk::LiveBlock> live = lvk::LiveBlocks();
    ASSERT_EQ(live.size(), before + 2);
    const lvk::LiveBlock& la = live[live.size() - 2];
    const lvk::LiveBlock& lb = live[live.size() - 1];
    EXPECT_EQ(la.address, a);
    EXPECT_EQ(la.tag, 34010);
    EXPECT_EQ(la.size, 10u);
    EXPECT_EQ(lb.address, b);
    EXPECT_EQ(lb.tag, 34012);
    EXPECT_EQ(lb.size, 30u);
    EXPECT_LT(la.serial, lb.serial);
    lvk::MemFree(a, 35010);
    lvk::MemFree(b, 35011);
    EXPECT_EQ(lvk::LiveBlockCount(), before);
}

TEST_F(MemoryTest, NoCallbackNoReports) {
    lvk::SetEventCallback(nullptr);
    void* p = lvk::MemAlloc(4, 34020);
    lvk::MemFree(p, 35020);
    EXPECT_TRUE(g_reports.empty());
}

// Reports raised on other threads arrive on records of their own while the main thread
// fills and raises its record; nothing they set shows in the main record.
TEST_F(MemoryTest, OtherThreadsNeverUseTheMainRecord) {
    DllEventRec& main = lvk::MainEvent();
    std::atomic<bool> go{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&go, t] {
            while (!go.load()) std::this_thread::yield();
            for (int i = 0; i < 500; ++i) {
                void* p = lvk::MemAlloc(static_cast<size_t>(16 + i), 34100 + t);
                p = lvk::MemRealloc(p, static_cast<size_t>(32 + i), 34200 + t);
                lvk::MemFree(p, 35100 + t);
            }
        });
    }
    go.store(true);
    for (int i = 0; i < 200; ++i) {
        main.Arg1 = i;
        main.Arg2 = -i;
        main.Arg3 = 7;
        lvk::RaiseEvent(204);
        EXPECT_EQ(main.Arg1, i);
        EXPECT_EQ(main.Arg2, -i);
        EXPECT_EQ(main.Arg3, 7);
        EXPECT_EQ(main.Code, 204);
    }
    for (std::thread& w : workers) w.join();

    std::lock_guard<std::mutex> g(g_lock);
    size_t fromWorkers = 0;
    for (const Report& r : g_reports) {
        if (r.code == 211 || r.code == 212) {
            ++fromWorkers;
            EXPECT_NE(r.record, &main);
        } else {
            EXPECT_EQ(r.record, &main);
        }
    }
    EXPECT_EQ(fromWorkers, 4u * 500u * 4u);
}

}  // namespace
