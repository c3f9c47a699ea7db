// InitDLL and CloseDLL as the program's binding and shutdown use them: a repeated start
// refreshes without starting workers again, a repeated stop does nothing, a stop and a new
// start bring everything back, and the process-detach handler stops the library without
// calling the program.
#include <gtest/gtest.h>

#include "blit_fixture.h"
#include "engine/display/blit.h"
#include "engine/pictures/colour_tables.h"
#include "engine/base/engine_state.h"
#include "engine/base/events.h"
#include "engine/base/library.h"
#include "engine/pictures/loader.h"
#include "engine/ui/menus.h"
#include "engine/ui/windows.h"
#include "fake_window_ops.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

int g_events = 0;
int32_t countEvent(DllEventRec*) noexcept {
    ++g_events;
    return 0;
}
int32_t randomZero(int32_t, int32_t) noexcept { return 0; }

class LibraryStart : public blittest::ManualTickTest {
protected:
    void SetUp() override {
        ManualTickTest::SetUp();
        g_events = 0;
        lvk::ResetMenusForTest();
        lvk::ResetWindowsForTest();
        SetWindowOps(ops_.table());
    }
    void TearDown() override {
        CloseDLL();
        lvk::SetEventCallback(nullptr);
        lvk::ResetMenusForTest();
        lvk::ResetWindowsForTest();
        ManualTickTest::TearDown();
    }
    LvResult Init(SharedState* shared, LvInstance instance = 7) {
        return InitDLL(instance, countEvent, randomZero, shared, stock_.desc(), nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    // Registers a window in slot 1, which builds the menus through the fake operations.
    void OpenWindow() {
        FormLimits limits;
        ASSERT_EQ(OpenFrm(1, 0x100, &limits), 0xFFFF);
        ASSERT_TRUE(lvk::MenusBuilt());
    }
    static bool ColourTablesAreIdentity() {
        const lvk::ColourTables& t = lvk::XColorTables();
        for (int i = 0; i < 256; ++i) {
            if (t.Red[i] != i || t.Green[i] != i || t.Blue[i] != i) return false;
        }
        return true;
    }
    static void SetTranslation() {
        uint8_t table[256];
        for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(255 - i);
        SetXColor(table, table, table);
        ASSERT_FALSE(ColourTablesAreIdentity());
    }

    testing_ops::FakeWindowOps ops_;
    SharedArray<StockEntry> stock_;
    SharedState first_;
    SharedState second_;
};

TEST_F(LibraryStart, ASecondInitDllRefreshesTheBindingAndStartsNothing) {
    ASSERT_EQ(Init(&first_), 0);
    EXPECT_TRUE(lvk::LibraryInitialised());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1);
    OpenWindow();
    SetTranslation();

    EXPECT_EQ(Init(&second_, 9), 0);
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1) << "one blit thread";
    EXPECT_TRUE(lvk::PictureLoaderRunning());
    EXPECT_TRUE(lvk::BlitTimerRunning()) << "the timer of the first start keeps running";
    EXPECT_TRUE(ColourTablesAreIdentity()) << "translations set earlier are dropped";
    EXPECT_FALSE(lvk::MenusBuilt()) << "the menus are destroyed";
    EXPECT_EQ(lvk::Shared(), &second_);
    EXPECT_EQ(lvk::Binding().instance, 9u);
    EXPECT_EQ(lvk::Binding().arrays[0], stock_.desc());
    ASSERT_TRUE(Tick());
    EXPECT_NE(second_.LastTickMs.load(), 0) << "ticks go to the record of the latest start";
}

TEST_F(LibraryStart, CloseDllTwiceOrBeforeInitDllDoesNothing) {
    OpenWindow();
    EXPECT_EQ(CloseDLL(), 0);
    EXPECT_TRUE(lvk::MenusBuilt()) << "a library that was never started is not stopped";

    ASSERT_EQ(Init(&first_), 0);
    EXPECT_EQ(CloseDLL(), 0);
    EXPECT_FALSE(lvk::LibraryInitialised());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 0);
    EXPECT_FALSE(lvk::PictureLoaderRunning());
    EXPECT_EQ(lvk::Shared(), nullptr);
    OpenWindow();
    EXPECT_EQ(CloseDLL(), 0) << "the second CloseDLL returns 0";
    EXPECT_TRUE(lvk::MenusBuilt()) << "and changes nothing";
}

TEST_F(LibraryStart, CloseDllKeepsTheBindingButTheSharedRecord) {
    ASSERT_EQ(Init(&first_), 0);
    ASSERT_EQ(CloseDLL(), 0);
    EXPECT_EQ(lvk::Shared(), nullptr);
    EXPECT_EQ(lvk::Binding().instance, 7u);
    EXPECT_EQ(lvk::Binding().random, &randomZero);
    EXPECT_EQ(lvk::EventCallback(), &countEvent) << "only the process detach forgets the callback";
}

TEST_F(LibraryStart, InitCloseInitStartsTheWorkersAgain) {
    ASSERT_EQ(Init(&first_), 0);
    ASSERT_EQ(CloseDLL(), 0);
    EXPECT_FALSE(lvk::BlitTimerRunning());
    ASSERT_EQ(Init(&second_), 0);
    EXPECT_TRUE(lvk::LibraryInitialised());
    EXPECT_TRUE(lvk::BlitTimerRunning());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 1);
    EXPECT_TRUE(lvk::PictureLoaderRunning());
    ASSERT_TRUE(Tick());
    EXPECT_NE(second_.LastTickMs.load(), 0);
}

TEST_F(LibraryStart, ProcessDetachStopsEverythingWithoutCallingTheProgramBack) {
    ASSERT_EQ(Init(&first_), 0);
    OpenWindow();
    const int eventsBefore = g_events;
    ASSERT_EQ(ops_.hooks.size(), 1u);

    lvk::ProcessDetach();
    EXPECT_EQ(lvk::EventCallback(), nullptr);
    EXPECT_EQ(g_events, eventsBefore) << "no event during the teardown";
    ASSERT_EQ(ops_.unhooks.size(), 1u) << "the registered window gets its own handling back";
    EXPECT_EQ(ops_.unhooks[0].token, ops_.hooks[0].token);
    EXPECT_EQ(lvk::FormWindow(1), 0u);
    EXPECT_FALSE(lvk::LibraryInitialised());
    EXPECT_FALSE(lvk::BlitTimerRunning());
    EXPECT_EQ(lvk::BlitThreadsAlive(), 0);
    EXPECT_FALSE(lvk::PictureLoaderRunning());
    EXPECT_FALSE(lvk::MenusBuilt());
}

}  // namespace
