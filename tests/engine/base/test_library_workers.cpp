// InitDLL and CloseDLL start and stop the timer with its blit thread, and CloseDLL frees
// the off-screen buffers.
#include <gtest/gtest.h>

#include "blit_fixture.h"
#include "engine/display/buffers.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

using blittest::Op;
using blittest::Picture;

class LibraryWorkers : public blittest::ManualTickTest {
protected:
    void TearDown() override {
        CloseDLL();
        ManualTickTest::TearDown();
    }
    void Init() {
        ASSERT_EQ(InitDLL(0, nullptr, nullptr, &shared_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr),
                  0);
    }
    SharedState shared_;
};

TEST_F(LibraryWorkers, TheFirstInitDllStartsTheTimerAndTheBlitThreadOnce) {
    Init();
    EXPECT_TRUE(lvk::BlitTimerRunning());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1);
    ASSERT_TRUE(Tick());
    EXPECT_NE(shared_.LastTickMs.load(), 0) << "the tick time reaches the program from the first InitDLL on";
    Init();
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1) << "a repeated InitDLL starts nothing";

    Picture source({"rg"});
    Picture screen(2, 1);
    const BlitOp op = Op(0, 0, 0, 0, 2, 1, source.Value(), 0, 0, 0);
    EXPECT_EQ(BatchBlt(1, &op, screen.dc.id), 1) << "the tick found nothing pending";
    EXPECT_EQ(BatchBlt(1, &op, screen.dc.id), 0);
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WaitBlt(nullptr), 0);
}

TEST_F(LibraryWorkers, CloseDllStopsTheWorkersAndFreesTheBuffers) {
    Init();
    const int32_t heights[] = {10, 20};
    ASSERT_EQ(InitBuffer(0, 64, 2, heights, nullptr, nullptr), 0);
    LvHandle buffer = AllocBuffer(10, 10, 0);
    ASSERT_NE(buffer, 0u);

    EXPECT_EQ(CloseDLL(), 0);
    EXPECT_FALSE(lvk::BlitTimerRunning());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 0);
    EXPECT_EQ(WaitBlt(nullptr), 1);
    EXPECT_EQ(lvk::GetBufferStats().classes, 0);
    EXPECT_EQ(lvk::GetBufferStats().strips, 0);
    EXPECT_EQ(GetBufferData(buffer, nullptr, nullptr, nullptr, nullptr, nullptr), -1);

    const int32_t before = shared_.LastTickMs.load();
    EXPECT_EQ(CloseDLL(), 0) << "a second CloseDLL changes nothing";
    EXPECT_EQ(shared_.LastTickMs.load(), before);
}

TEST_F(LibraryWorkers, InitCloseInitStartsTheWorkersAgain) {
    Init();
    EXPECT_EQ(CloseDLL(), 0);
    Init();
    EXPECT_TRUE(lvk::BlitTimerRunning());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1);
    Picture source({"rg"});
    Picture screen(2, 1);
    const BlitOp op = Op(0, 0, 0, 0, 2, 1, source.Value(), 0, 0, 0);
    EXPECT_EQ(BatchBlt(1, &op, screen.dc.id), 0);
    ASSERT_TRUE(Tick());
    EXPECT_EQ(WaitBlt(nullptr), 0);
    EXPECT_EQ(screen.Rows(), (std::vector<std::string>{"rg"}));
}

TEST_F(LibraryWorkers, ABatchLeftPendingAtCloseDllIsForgotten) {
    Init();
    Picture source({"rg"});
    Picture screen(2, 1);
    const BlitOp op = Op(0, 0, 0, 0, 2, 1, source.Value(), 0, 0, 0);
    ASSERT_EQ(BatchBlt(1, &op, screen.dc.id), 0);
    EXPECT_EQ(CheckBlt(nullptr), 1);
    CloseDLL();
    EXPECT_EQ(CheckBlt(nullptr), 0);
    Init();
    ASSERT_TRUE(Tick());
    EXPECT_EQ(screen.Rows(), (std::vector<std::string>{".."})) << "never drawn into DCs that may be gone";
}

}  // namespace
