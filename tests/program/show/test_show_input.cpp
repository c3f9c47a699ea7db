// The show's input: the stop rules per setting, mode and script flag, the mouse rule with its
// reference point, cursor and grace, the key and menu commands, the password rule, and the
// vehicle under a click.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "program/core/settings/settings.h"
#include "program/scene/script_reader.h"
#include "stepped_clock.h"
#include "program/trains/train_picture.h"
#include "show_input_fixture.h"

namespace {

using show_test::ShowInputTest;
using yov::programState;
using yov::showInput;
using yov::showState;

enum class Kind { Key, Click, Move };

void setRule(Kind kind, uint8_t mode, uint8_t value) {
    yov::ShowSettings& s = programState().settings.Show;
    auto& a = kind == Kind::Key ? s.NStpKey : kind == Kind::Click ? s.NStpClk : s.NStpMov;
    a[mode] = value;
}

void setScript(Kind kind, uint8_t value) {
    yov::RunSettings& r = yov::scriptReader().S.Run;
    (kind == Kind::Key ? r.NoStopOnKey : kind == Kind::Click ? r.NoStopOnClick : r.NoStopOnMove) = value;
}

void key(int32_t code) { yov::ScrKeyCommand(static_cast<int16_t>(code), 0); }

// Four moves set the reference point; the fifth is measured from the fourth.
void moves(int32_t lastDx) {
    for (int i = 0; i < 4; ++i) yov::ScrMouseMove(0, 0, 100 + i, 100);
    yov::ScrMouseMove(0, 0, 103 + lastDx, 100);
}

TEST_F(ShowInputTest, StopRulesFollowTheModesSettingsAndTheScript) {
    struct Case {
        const char* name;
        Kind kind;
        uint8_t mode;
        uint8_t setting;  // no-stop setting of the show's mode
        uint8_t other;    // of the other mode
        uint8_t script;
        std::function<void()> input;
        bool stops;
    };
    const std::vector<Case> cases = {
        {"EnterWithEveryNoStop", Kind::Key, 0, 1, 1, 1, [] { key(13); }, true},
        {"EscWithEveryNoStop", Kind::Key, 1, 1, 1, 1, [] { key(27); }, true},
        {"KeyAllowed", Kind::Key, 0, 0, 1, 0, [] { key('A'); }, true},
        {"KeyOffInThisMode", Kind::Key, 1, 1, 0, 0, [] { key('A'); }, false},
        {"KeyOffInTheOtherModeOnly", Kind::Key, 1, 0, 1, 0, [] { key('A'); }, true},
        {"KeyOffByTheScript", Kind::Key, 0, 0, 0, 1, [] { key('A'); }, false},
        {"ShiftAloneIsAKey", Kind::Key, 0, 0, 0, 0, [] { key(256 + 16); }, true},
        {"CtrlAloneIsAKey", Kind::Key, 1, 0, 0, 0, [] { key(512 + 17); }, true},
        {"ExitCommandStops", Kind::Key, 0, 1, 1, 1, [] { key(4116); }, true},
        {"MenuNoteIsNoKey", Kind::Key, 0, 0, 0, 0, [] { key(4386); }, false},
        {"ClickAllowed", Kind::Click, 0, 0, 1, 0, [] { yov::ScrMouseClick(1, 0, 5, 5); }, true},
        {"ClickOff", Kind::Click, 1, 1, 0, 0, [] { yov::ScrMouseClick(1, 0, 5, 5); }, false},
        {"ClickOffByTheScript", Kind::Click, 0, 0, 0, 1, [] { yov::ScrMouseClick(2, 0, 5, 5); }, false},
        {"FifthMoveFarStops", Kind::Move, 0, 0, 1, 0, [] { moves(11); }, true},
        {"FifthMoveNearDoesNot", Kind::Move, 1, 0, 0, 0, [] { moves(10); }, false},
        {"FarMoveButMovesOff", Kind::Move, 1, 1, 0, 0, [] { moves(50); }, false},
        {"FarMoveButScriptSaysNo", Kind::Move, 0, 0, 0, 1, [] { moves(50); }, false},
        {"FourMovesNeverStop", Kind::Move, 0, 0, 0, 0,
         [] {
             for (int i = 0; i < 4; ++i) yov::ScrMouseMove(0, 0, 100 * i, 300 * i);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        programState().run.ShowMode = c.mode;
        setRule(c.kind, c.mode, c.setting);
        setRule(c.kind, static_cast<uint8_t>(1 - c.mode), c.other);
        setScript(c.kind, c.script);
        c.input();
        EXPECT_EQ(programState().run.StopRequest != 0, c.stops);
    }
}

TEST_F(ShowInputTest, TheMouseRuleIgnoresStillnessTheCursorsRevealAndTheGrace) {
    programState().settings.Show.NStpMov[0] = 0;
    program_test::SteppedClock clock;
    int64_t& now = clock.ms;
    SCOPED_TRACE("the same place twice is one move");
    yov::ScrMouseMove(0, 0, 10, 10);
    yov::ScrMouseMove(0, 0, 10, 10);
    EXPECT_EQ(showState().MouseMoveCount, 1);

    SCOPED_TRACE("a move that shows the hidden cursor does not count");
    showState().CursorState = 1;
    yov::ScrMouseMove(0, 0, 11, 10);
    EXPECT_EQ(showState().CursorState, 2);
    EXPECT_EQ(cursorShown, 1);
    EXPECT_EQ(showState().MouseMoveCount, 1);
    yov::ScrMouseMove(0, 0, 12, 10);
    EXPECT_EQ(showState().CursorHideCountdown, 25);
    EXPECT_EQ(showState().MouseMoveCount, 2);

    SCOPED_TRACE("after a modal window: five step times of grace, then two moves set the reference");
    showState().StepClock = 20;
    yov::StartMouseGrace();
    EXPECT_EQ(showState().MouseGraceMs, 100);
    yov::ScrMouseMove(0, 0, 500, 500);
    now += 99;
    yov::ScrMouseMove(0, 0, 10, 10);
    EXPECT_EQ(programState().run.StopRequest, 0);
    EXPECT_EQ(showState().MouseMoveCount, 2);
    now += 1;
    yov::ScrMouseMove(0, 0, 20, 20);
    yov::ScrMouseMove(0, 0, 21, 20);
    EXPECT_EQ(showState().MouseMoveCount, 4);
    yov::ScrMouseMove(0, 0, 26, 25);
    EXPECT_EQ(programState().run.StopRequest, 0);
    yov::ScrMouseMove(0, 0, 27, 25);
    EXPECT_EQ(programState().run.StopRequest, 1);
}

TEST_F(ShowInputTest, KeysAndPopupCommandsSteerTheShow) {
    struct Case {
        const char* name;
        std::vector<int32_t> codes;
        int32_t startMode, credits, steps;
        uint8_t stepMode;
    };
    const std::vector<Case> cases = {
        {"F5FreeStarts", {118, 116}, 0, 0, 0, 0},
        {"F6LineStarts", {119, 117}, 1, 0, 0, 0},
        {"F7AllStarts", {119, 4507}, 2, 0, 0, 0},
        {"F8OneMore", {119, 4508}, 0, 2, 0, 0},
        {"Menu4509AddsTwo", {4509}, 1, 2, 0, 0},
        {"Menu4516AddsNine", {4516}, 1, 9, 0, 0},
        {"ShiftOneAddsOne", {256 + '1'}, 1, 1, 0, 0},
        {"ShiftNineKeepsAMode", {117, 256 + '9'}, 1, 9, 0, 0},
        {"DigitSteps", {'3'}, 0, 0, 3, 1},
        {"MenuSteps", {4517, 4525}, 0, 0, 10, 1},
        {"F10AndS", {121, 'S'}, 0, 0, 2, 0},
        {"SpacePausesAndClears", {'2', ' '}, 0, 0, 0, 0},
        {"WaitTwiceIsPaused", {4183, 'W', '0'}, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        for (int32_t code : c.codes) key(code);
        EXPECT_EQ(showState().StartMode, c.startMode);
        EXPECT_EQ(showState().StartCredits, c.credits);
        EXPECT_EQ(showState().StepCountdown, c.steps);
        EXPECT_EQ(showState().StepMode, c.stepMode);
        EXPECT_EQ(programState().run.StopRequest, 0);
    }
}

TEST_F(ShowInputTest, EveryPopupCommandRuns) {
    // Menu 7 and its submenus as the engine's table holds them.
    const std::vector<int32_t> ids = {4214, 4204, 4229, 4504, 4468, 4505, 4506, 4507, 4508, 4509, 4510, 4511,
                                      4512, 4513, 4514, 4515, 4516, 4183, 4517, 4518, 4519, 4520, 4521, 4522,
                                      4523, 4524, 4525, 4526, 4527, 4528, 4529, 4538, 4543, 4196, 4197, 4198};
    MakeKeys({0, 0, 0});
    programState().run.BatchMode = 1;  // the panel is a request to the frame step
    for (int32_t id : ids) key(id);
    EXPECT_EQ(showInput().DisplayRequest, yov::display_request::kPanel);
    EXPECT_EQ(showState().StartCredits, 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + 1);
    EXPECT_EQ(showState().StartMode, 2);
    EXPECT_EQ(showState().StepMode, 1);
    EXPECT_EQ(showState().StepCountdown, 45);
    EXPECT_EQ(programState().run.StopRequest, 0);  // the log and debug items are not the show's
    key(7168 + 2);                                 // label: key 1 (position 2)
    key(7424 + 4);                                 // technical data: key 2 (position 4)
    // After "Set All" every key is in the technical data.
    EXPECT_EQ(programState().Arrays.DescKeys[1].Flags, 0x03);
    EXPECT_EQ(programState().Arrays.DescKeys[2].Flags, 0x00);
    key(4116);
    EXPECT_EQ(programState().run.StopRequest, 1);
}

TEST_F(ShowInputTest, ThePopupOpensWhereTheShowCanShowIt) {
    programState().settings.Show.NStpClk[0] = 1;
    programState().machine.ScreenWidthPx = 1000;
    programState().machine.ScreenHeightPx = 700;
    showState().CursorState = 1;
    key('M');
    yov::ScrMouseClick(2, 0, 40, 50);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].what, "popup");
    EXPECT_EQ(calls[0].a, 7);
    EXPECT_EQ(calls[0].b, 500);
    EXPECT_EQ(calls[0].c, 350);
    EXPECT_EQ(calls[1].b, 40);
    EXPECT_EQ(calls[1].c, 50);
    EXPECT_EQ(cursorShown, 1);
    SCOPED_TRACE("under DirectDraw the next frame step opens it at the click");
    calls.clear();
    programState().run.BatchMode = 1;
    yov::ScrMouseClick(3, 0, 60, 70);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(showInput().DisplayRequest, yov::display_request::kPopup);
    EXPECT_EQ(showInput().RightClickX, 60);
    EXPECT_EQ(showInput().RightClickY, 70);
    ASSERT_EQ(described.size(), 1u);
    EXPECT_EQ(described[0], 0);  // empty ground clears the description
}

TEST_F(ShowInputTest, AStopAsksForThePasswordOnlyInAScreenSaverShowThatUsesOne) {
    struct Case {
        const char* name;
        uint8_t saver;
        const char16_t* use;
        const char16_t* pw;
        uint8_t batch;
        bool stops;
        int asked;
        uint8_t request;
    };
    const std::vector<Case> cases = {
        {"NoPasswordSet", 1, u"1", nullptr, 0, true, 0, 0},  // first: the settings outlive a case
        {"NotTheScreenSaver", 0, u"1", u"pw", 0, true, 0, 0},
        {"PasswordsNotUsed", 1, u"0", u"pw", 0, true, 0, 0},
        {"EmptyPassword", 1, u"1", u"", 0, true, 0, 0},
        {"AskedInAGdiShow", 1, u"1", u"pw", 0, false, 1, 0},
        {"AskedAtTheNextStepUnderDirectDraw", 1, u"1", u"pw", 1, false, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        programState().road.ScreenSaverMode = c.saver;
        programState().run.BatchMode = c.batch;
        yov::SaveRegString(u"ScreenSaveUsePassword", c.use);
        if (c.pw != nullptr) yov::SaveRegString(u"Pw", c.pw);
        key(27);
        EXPECT_EQ(programState().run.StopRequest != 0, c.stops);
        EXPECT_EQ(passwordAsked, c.asked);
        EXPECT_EQ(showInput().DisplayRequest, c.request);
        if (!c.stops) {
            EXPECT_EQ(showInput().ShowPassword, u"pw");
        }
    }
}

// In a window of the screen-saver daemon the daemon owns the input and the end of the show:
// nothing that reaches the window stops the show, asks the password or opens a window.
TEST_F(ShowInputTest, InTheDaemonsWindowInputStopsNothingAndOpensNothing) {
    programState().road.SaverWindow = 0x2a00007;
    programState().road.ScreenSaverMode = 1;
    yov::SaveRegString(u"ScreenSaveUsePassword", u"1");
    yov::SaveRegString(u"Pw", u"pw");
    struct Case {
        const char* name;
        uint8_t batch;
        std::function<void()> input;
    };
    const std::vector<Case> cases = {
        {"Esc", 0, [] { key(27); }},
        {"a key", 0, [] { key('A'); }},
        {"a click", 0, [] { yov::ScrMouseClick(1, 0, 5, 5); }},
        {"a right click", 0, [] { yov::ScrMouseClick(2, 0, 5, 5); }},
        {"a right click under DirectDraw", 1, [] { yov::ScrMouseClick(2, 0, 5, 5); }},
        {"far moves", 0, [] { moves(50); }},
        {"the menu key", 0, [] { key('M'); }},
        {"the panel key under DirectDraw", 1, [] { key('V'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        programState().run.StopRequest = 0;
        programState().run.BatchMode = c.batch;
        showInput().DisplayRequest = 0;
        calls.clear();
        c.input();
        EXPECT_EQ(programState().run.StopRequest, 0);
        EXPECT_EQ(passwordAsked, 0);
        EXPECT_TRUE(calls.empty()) << "no popup menu";
        EXPECT_EQ(showInput().DisplayRequest, 0) << "no window asked for";
    }
    programState().run.BatchMode = 0;
    programState().road.SaverWindow = 0;
}

TEST_F(ShowInputTest, AClickFindsTheVehicleUnderIt) {
    programState().settings.Show.NStpClk[0] = 1;
    // A train line at x 100, rail row 300, area 40 high, with one picture of two parts.
    yov::TrainPictureTable& pics = yov::trainPictures();
    pics = yov::TrainPictureTable{};
    pics.Entries.resize(2);
    pics.Count = 1;
    // A pool of exactly these two parts: a size left by another test would let the next
    // allocation write past them.
    yov::PicPartPool& parts = yov::picParts();
    parts = yov::PicPartPool{};
    parts.Parts.resize(3);
    parts.Count = 2;
    parts.Alloc = 2;
    parts[1].OffsetX = 0;
    parts[1].Width = 50;
    parts[1].StockIndex = 7;
    parts[1].NextPart = 2;
    parts[2].OffsetX = 50;
    parts[2].Width = 30;
    parts[2].StockIndex = 9;
    pics[1].FirstPart = 1;
    pics[1].X = 20;
    const int32_t t = Train(Root(), 0, 400);
    yov::TrainRec& r = yov::trains().at(t);
    r.State = 10;
    r.OriginX = 100;
    r.OriginY = 300;
    r.AreaHeight = 40;
    r.MemberCount = 1;
    r.Members[1] = 1;
    struct Case {
        const char* name;
        int32_t x, y, found;
    };
    const std::vector<Case> cases = {
        {"FirstVehicle", 120, 300, 7}, {"LastColumnOfTheFirst", 169, 280, 7}, {"SecondVehicle", 170, 261, 9},
        {"PastTheTrain", 200, 280, 0}, {"AboveTheArea", 130, 260, 0},         {"BelowTheRail", 130, 301, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(yov::FindObjectAt(c.x, c.y), c.found);
    }
    SCOPED_TRACE("a train not yet running is not hit");
    r.State = 9;
    EXPECT_EQ(yov::FindObjectAt(120, 300), 0);
    r.State = 10;
    yov::ScrMouseClick(1, 0, 175, 290);
    ASSERT_EQ(described.size(), 1u);
    EXPECT_EQ(described[0], 9);
    pics = yov::TrainPictureTable{};
    parts = yov::PicPartPool{};
}

}  // namespace
