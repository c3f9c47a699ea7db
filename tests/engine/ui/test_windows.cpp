// Window slots and the engine's window procedure: what each forwarded event becomes.
#include "window_test_fixture.h"

namespace {

using testing_ops::SeenEvent;
using testing_ops::WindowTest;

constexpr LvWindow kShow = 0x5000;
constexpr LvWindow kStock = 0x5005;

class WindowProcTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        FormLimits limits;
        limits.MinWidth = 200;
        limits.MinHeight = 100;
        ASSERT_EQ(OpenFrm(0, kShow, &limits), 0xFFFF) << "the first registration builds the menus";
        ASSERT_EQ(OpenFrm(5, kStock, &limits), 0);
        events_.clear();
    }
    int32_t send(LvWindow w, LvWindowMessage m) { return WindowProc(w, &m); }
    int32_t command(int32_t id, uint16_t mode) {
        lvk::SetMenuModeWord(mode);
        LvWindowMessage m = message(kLvMsgCommand);
        m.identifier = id;
        return send(kStock, m);
    }
};

struct RebaseCase {
    const char* name;
    int32_t identifier;
    uint16_t mode;
    int16_t subCode;
};

TEST_F(WindowProcTest, MenuCommandsAreRebasedOnTheModeWord) {
    const RebaseCase cases[] = {
        {"generated item under a shifted mode", 0x8003, 0x9440, 0x1443},
        {"shifted mode above 11 adds one", 0x800C, 0x9440, 0x144D},
        {"unshifted mode", 0x800C, 0x1440, 0x144C},
        {"eleven is not moved", 0x800B, 0x9440, 0x144B},
        {"a table command stays as it is", 0x1234, 0x9440, 0x1234},
    };
    for (const RebaseCase& c : cases) {
        events_.clear();
        EXPECT_EQ(command(c.identifier, c.mode), kLvProcHandled) << c.name;
        ASSERT_EQ(events_.size(), 1u) << c.name;
        EXPECT_EQ(events_[0].code, 5) << c.name;
        EXPECT_EQ(events_[0].subCode, c.subCode) << c.name;
        EXPECT_EQ(events_[0].arg1, c.mode) << c.name << ": Arg1 carries the mode word";
    }
}

TEST_F(WindowProcTest, CommandsBelow0x1000AndControlNotificationsPassOn) {
    EXPECT_EQ(command(0x0FFF, 0), kLvProcDefault);
    LvWindowMessage m = message(kLvMsgCommand);
    m.identifier = 0x1500;
    m.source = 5;
    EXPECT_EQ(send(kStock, m), kLvProcDefault);
    EXPECT_TRUE(events_.empty());
}

struct SelectCase {
    const char* name;
    uint16_t before;
    int32_t identifier;
    bool opensSubmenu;
    uint16_t after;
};

TEST_F(WindowProcTest, SubmenuSelectionSetsTheModeWord) {
    const SelectCase cases[] = {
        {"submenu id rounded down to 16", 0x0000, 0x1447, true, 0x1440},
        {"shift mark kept", 0x8000, 0x1900, true, 0x9900},
        {"0x13F1 sets the shift mark", 0x1700, 0x13F1, true, 0x9700},
        {"0x13F0 clears it", 0x9700, 0x13F0, true, 0x1700},
        {"ids outside 0x1400-0x7FFF leave it", 0x1440, 0x10ED, true, 0x1440},
        {"upper end included", 0x0000, 0x7FFF, true, 0x7FF0},
        {"a command item leaves it", 0x1440, 0x1900, false, 0x1440},
    };
    for (const SelectCase& c : cases) {
        events_.clear();
        lvk::SetMenuModeWord(c.before);
        LvWindowMessage m = message(kLvMsgMenuSelect);
        m.identifier = c.identifier;
        m.submenu = c.opensSubmenu ? 77 : 0;
        EXPECT_EQ(send(kStock, m), kLvProcDefault) << c.name;
        EXPECT_EQ(lvk::MenuModeWord(), c.after) << c.name;
        ASSERT_EQ(events_.size(), 1u) << c.name;
        EXPECT_EQ(events_[0].subCode, 4386) << c.name;
        EXPECT_EQ(events_[0].arg1, c.identifier) << c.name;
    }
}

TEST_F(WindowProcTest, CloseOnTheShowRaises201AndIsSwallowed) {
    LvWindowMessage m = message(kLvMsgSysCommand);
    m.identifier = kLvScClose;
    EXPECT_EQ(send(kShow, m), kLvProcHandled);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].code, 201);
    EXPECT_EQ(lvk::FormWindow(0), kShow) << "the window stays registered";

    events_.clear();
    EXPECT_EQ(send(kStock, m), kLvProcDefault) << "other slots close normally";
    EXPECT_TRUE(events_.empty());

    m.identifier = kLvScScreenSave;
    EXPECT_EQ(send(kStock, m), kLvProcHandled) << "screen saving is swallowed on every slot";
}

TEST_F(WindowProcTest, WheelMenuLoopAndHelpCarryTheirSubCodes) {
    LvWindowMessage wheel = message(kLvMsgMouseWheel);
    wheel.delta = -120;
    wheel.keys = 0x8;
    wheel.x = 300;
    wheel.y = -5;
    EXPECT_EQ(send(kStock, wheel), kLvProcHandled);
    EXPECT_EQ(send(kStock, message(kLvMsgEnterMenuLoop)), kLvProcHandled);
    EXPECT_EQ(send(kStock, message(kLvMsgExitMenuLoop)), kLvProcHandled);
    LvWindowMessage help = message(kLvMsgMenuHelp);
    help.identifier = 4117;
    help.x = 10;
    help.y = 20;
    EXPECT_EQ(send(kStock, help), kLvProcDefault);

    ASSERT_EQ(events_.size(), 4u);
    const SeenEvent& w = events_[0];
    EXPECT_EQ(w.code, 5);
    EXPECT_EQ(w.subCode, 4226);
    EXPECT_EQ(w.arg1, -120);
    EXPECT_EQ(w.arg2, 8);
    EXPECT_EQ(w.arg3, 300);
    EXPECT_EQ(w.arg4, -5);
    EXPECT_EQ(events_[1].subCode, 4549);
    EXPECT_EQ(events_[2].subCode, 4550);
    EXPECT_EQ(events_[3].subCode, 4387);
    EXPECT_EQ(events_[3].arg1, 4117);
    EXPECT_EQ(events_[3].arg3, 10);
    EXPECT_EQ(events_[3].arg4, 20);
}

TEST_F(WindowProcTest, NoCallbackNoEvents) {
    lvk::SetEventCallback(nullptr);
    EXPECT_EQ(send(kStock, message(kLvMsgEnterMenuLoop)), kLvProcHandled);
    EXPECT_TRUE(events_.empty());
}

TEST_F(WindowProcTest, MouseMovesAreRecorded) {
    LvWindowMessage m = message(kLvMsgMouseMove);
    m.x = 12;
    m.y = 34;
    m.keys = 0x1;
    EXPECT_EQ(send(kStock, m), kLvProcDefault);
    int32_t x = 0, y = 0;
    EXPECT_EQ(GetMouseMoveData(&x, &y), 1);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
    EXPECT_EQ(GetMouseMoveData(nullptr, nullptr), 1);
}

struct SizingCase {
    const char* name;
    int32_t edge;
    int32_t left, top, right, bottom;
    int32_t wantLeft, wantTop, wantRight, wantBottom;
};

TEST_F(WindowProcTest, SizingBelowTheMinimumMovesTheDraggedEdge) {
    const SizingCase cases[] = {
        {"left edge keeps the right edge", kLvEdgeLeft, 150, 0, 300, 400, 100, 0, 300, 400},
        {"right edge keeps the left edge", kLvEdgeRight, 0, 0, 50, 400, 0, 0, 200, 400},
        {"bottom-left corner moves left", kLvEdgeBottomLeft, 150, 0, 300, 400, 100, 0, 300, 400},
        {"top edge keeps the bottom", kLvEdgeTop, 0, 350, 300, 400, 0, 300, 300, 400},
        {"top-right corner moves the top", kLvEdgeTopRight, 0, 350, 300, 400, 0, 300, 300, 400},
        {"bottom edge keeps the top", kLvEdgeBottom, 0, 0, 300, 40, 0, 0, 300, 100},
        {"large enough is left alone", kLvEdgeBottomRight, 0, 0, 300, 400, 0, 0, 300, 400},
    };
    for (const SizingCase& c : cases) {
        LvWindowMessage m = message(kLvMsgSizing);
        m.edge = c.edge;
        m.left = c.left;
        m.top = c.top;
        m.right = c.right;
        m.bottom = c.bottom;
        EXPECT_EQ(WindowProc(kStock, &m), kLvProcHandled) << c.name;
        EXPECT_EQ(m.left, c.wantLeft) << c.name;
        EXPECT_EQ(m.top, c.wantTop) << c.name;
        EXPECT_EQ(m.right, c.wantRight) << c.name;
        EXPECT_EQ(m.bottom, c.wantBottom) << c.name;
    }
}

TEST_F(WindowProcTest, SetWindowLimitsChangesTheMinimum) {
    ASSERT_EQ(SetWindowLimits(5, 400, 10), 0);
    LvWindowMessage m = message(kLvMsgSizing);
    m.edge = kLvEdgeRight;
    m.right = 300;
    m.bottom = 50;
    WindowProc(kStock, &m);
    EXPECT_EQ(m.right, 400);
    EXPECT_EQ(m.bottom, 50);
}

TEST_F(WindowProcTest, UnknownWindowsGetNothing) {
    LvWindowMessage m = message(kLvMsgSysCommand);
    m.identifier = kLvScClose;
    EXPECT_EQ(send(0x9999, m), kLvProcUnknown);
    EXPECT_EQ(WindowProc(kStock, nullptr), kLvProcUnknown);
    EXPECT_TRUE(events_.empty());
}

TEST_F(WindowProcTest, DestroyFreesTheSlot) {
    EXPECT_EQ(send(kStock, message(kLvMsgDestroy)), kLvProcDefault);
    EXPECT_EQ(lvk::FormWindow(5), 0u);
    EXPECT_EQ(send(kStock, message(kLvMsgEnterMenuLoop)), kLvProcUnknown);
}

TEST_F(WindowProcTest, OpenFrmHooksAndAttachesTheSlotsMenuBar) {
    ASSERT_GE(ops_.hooks.size(), 2u);
    EXPECT_EQ(ops_.hooks[0].window, kShow);
    EXPECT_EQ(ops_.hooks[0].hook, kLvHookForm);
    EXPECT_EQ(ops_.bars[kShow], 0u) << "slot 0 has no menu bar";
    EXPECT_EQ(ops_.bars[kStock], lvk::MenuHandle(0));
    EXPECT_TRUE(ops_.menu(lvk::MenuHandle(0)).bar);
    EXPECT_FALSE(ops_.redraws.empty());

    EXPECT_EQ(HideMenu(5), 0);
    EXPECT_EQ(ops_.bars[kStock], 0u);
    EXPECT_EQ(ShowMenu(5), 0);
    EXPECT_EQ(ops_.bars[kStock], lvk::MenuHandle(0));

    const uintptr_t token = ops_.hooks[1].token;
    EXPECT_EQ(CloseFrm(5), 7) << "the result of giving the window its handling back";
    EXPECT_EQ(ops_.bars[kStock], 0u);
    ASSERT_EQ(ops_.unhooks.size(), 1u);
    EXPECT_EQ(ops_.unhooks[0].token, token);
    EXPECT_EQ(lvk::FormWindow(5), 0u);
    EXPECT_EQ(CloseFrm(5), 0) << "a free slot";
}

TEST_F(WindowProcTest, EverySlotWithABarGetsABarMenu) {
    for (int slot = 1; slot < lvk::kFormSlots; ++slot) {
        const LvWindow w = 0x7000 + static_cast<LvWindow>(slot);
        OpenFrm(static_cast<int16_t>(slot), w, nullptr);
        const LvHandle bar = ops_.bars[w];
        if (bar != 0) {
            EXPECT_TRUE(ops_.menu(bar).bar) << "slot " << slot;
        }
    }
    EXPECT_EQ(ops_.bars[0x7000 + 33], lvk::MenuHandle(8));
    EXPECT_EQ(ops_.bars[0x7000 + 14], lvk::MenuHandle(13));
    EXPECT_EQ(ops_.bars[0x7000 + 23], lvk::MenuHandle(13));
    EXPECT_EQ(ops_.bars[0x7000 + 12], 0u);
}

TEST_F(WindowProcTest, SlotsOutsideTheTableAreRefused) {
    EXPECT_EQ(OpenFrm(81, 0x42, nullptr), -2);
    EXPECT_EQ(OpenFrm(-1, 0x42, nullptr), -2);
    EXPECT_EQ(OpenFrm(3, 0, nullptr), -2);
    EXPECT_EQ(CloseFrm(200), 0);
}

TEST_F(WindowProcTest, CloseAllFrmsReleasesSlotsAndControls) {
    StartSubclass(0x300, 0, 6, 1);
    EXPECT_EQ(lvk::CloseAllFrms(), 1);
    EXPECT_EQ(lvk::FormWindow(0), 0u);
    EXPECT_EQ(lvk::FormWindow(5), 0u);
    EXPECT_EQ(ops_.unhooks.size(), 3u);
}

// Subclassed controls report hover and leave under their own code and identifier.
class SubclassTest : public WindowTest {
protected:
    LvWindowMessage control(int32_t kind, int32_t userData) {
        LvWindowMessage m = message(kind);
        m.hook = kLvHookControl;
        m.userData = userData;
        return m;
    }
};

TEST_F(SubclassTest, HoverAndLeaveCarryCodeAndIdentifier) {
    EXPECT_EQ(StartSubclass(0x300, 0, 6, 42), 0);
    EXPECT_EQ(StartSubclass(0x301, 1, 7, 43), 12);
    ASSERT_EQ(ops_.hooks.size(), 2u);
    EXPECT_EQ(ops_.hooks[0].hook, kLvHookControl);
    EXPECT_EQ(ops_.hooks[0].userData, 0) << "the entry number is kept with the control";
    EXPECT_EQ(ops_.hooks[1].userData, -1) << "flag bit 0: no entry number";

    LvWindowMessage hover = control(kLvMsgMouseHover, 0);
    hover.x = -3;
    hover.y = 9;
    hover.keys = 0x4;
    EXPECT_EQ(WindowProc(0x300, &hover), kLvProcDefault);
    LvWindowMessage leave = control(kLvMsgMouseLeave, -1);
    EXPECT_EQ(WindowProc(0x301, &leave), kLvProcDefault);
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_EQ(events_[0].code, 6);
    EXPECT_EQ(events_[0].subCode, 4142);
    EXPECT_EQ(events_[0].arg1, 42);
    EXPECT_EQ(events_[0].arg2, 4);
    EXPECT_EQ(events_[0].arg3, -3);
    EXPECT_EQ(events_[0].arg4, 9);
    EXPECT_EQ(events_[1].code, 7);
    EXPECT_EQ(events_[1].subCode, 4143);
    EXPECT_EQ(events_[1].arg1, 43);

    LvWindowMessage menu = control(kLvMsgContextMenu, 0);
    EXPECT_EQ(WindowProc(0x300, &menu), kLvProcHandled) << "context menus are swallowed";
}

TEST_F(SubclassTest, AStaleEntryNumberIsSearchedAndAKnownControlUpdated) {
    StartSubclass(0x300, 0, 6, 42);
    StartSubclass(0x301, 0, 6, 43);
    EXPECT_EQ(StartSubclass(0x301, 0, 9, 99), 12) << "the same control keeps its entry";
    EXPECT_EQ(ops_.hooks.size(), 2u);
    LvWindowMessage leave = control(kLvMsgMouseLeave, 0);  // says entry 0, which is another control
    WindowProc(0x301, &leave);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].code, 9);
    EXPECT_EQ(events_[0].arg1, 99);
    LvWindowMessage unknown = control(kLvMsgMouseLeave, 0);
    EXPECT_EQ(WindowProc(0x999, &unknown), kLvProcUnknown);
}

TEST_F(SubclassTest, TheTableHolds500AndReusesFreedEntries) {
    for (LvWindow w = 1; w <= 500; ++w) ASSERT_EQ(StartSubclass(w, 0, 1, 0), static_cast<int32_t>(w - 1) * 12);
    EXPECT_EQ(StartSubclass(501, 0, 1, 0), 500) << "the 501st distinct control is left as it was";
    EXPECT_EQ(ops_.hooks.size(), 500u);
    LvWindowMessage destroy = control(kLvMsgDestroy, 9);
    EXPECT_EQ(WindowProc(10, &destroy), kLvProcDefault);
    EXPECT_EQ(StartSubclass(501, 0, 1, 0), 9 * 12) << "a freed entry is taken first";
}

TEST(DllVersion, IsCutToTheCallersBuffer) {
    char buffer[32];
    EXPECT_EQ(GetDLLVersion(buffer, sizeof buffer), 18);
    EXPECT_STREQ(buffer, "4.3.8F Oct 22 2004");
    char small[6];
    EXPECT_EQ(GetDLLVersion(small, sizeof small), 5);
    EXPECT_STREQ(small, "4.3.8");
    EXPECT_EQ(GetDLLVersion(nullptr, 10), 0);
}

}  // namespace
