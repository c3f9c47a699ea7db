// The engine's event callback: every code, window commands reaching FCmd by name with the
// record's own fields by reference, and errors kept out of the engine.
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "frame_step_stand_ins.h"
#include "program/core/binding/engine_events.h"
#include "program/core/windows/form_members.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/show_parts.h"
#include "recording_engine.h"
#include "startup_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;

// An event record with texts in the engine's length-prefixed layout.
class EventRecord {
public:
    explicit EventRecord(int16_t code, std::u16string text1 = {}, std::u16string text2 = {}) {
        r_.Code = code;
        r_.Text1 = LvTextAlloc(text1);
        r_.Text2 = LvTextAlloc(text2);
    }
    ~EventRecord() {
        LvTextFree(r_.Text1);
        LvTextFree(r_.Text2);
    }
    DllEventRec* operator->() { return &r_; }
    DllEventRec* get() { return &r_; }

private:
    DllEventRec r_;
};

class EngineEvents : public startup_test::StartupTest {
protected:
    // Puts a window in the slot whose FCmd runs `body`.
    QWidget* windowIn(int slot, yov::FCmdMember fcmd) {
        windows_.push_back(std::make_unique<QWidget>());
        QWidget* w = windows_.back().get();
        yov::programState().WindowTable[static_cast<size_t>(slot)] = {w, -1};
        if (fcmd) yov::SetFormMembers(w, {std::move(fcmd), {}});
        return w;
    }
    int32_t raise(EventRecord& r) { return yov::OnEngineEvent(r.get()); }

    engine_test::RecordingEngine engine_;
    std::vector<std::unique_ptr<QWidget>> windows_;
};

TEST_F(EngineEvents, ACommandForAnEmptySlotIsShownAndDropped) {
    EventRecord r(12);
    EXPECT_EQ(raise(r), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(utf8(boxes_[0].text), "Error: command for a not loaded window (12)");
    EXPECT_EQ(boxes_[0].style, 64);
    EXPECT_EQ(utf8(boxes_[0].title), "Yov");
}

TEST_F(EngineEvents, FCmdGetsTheRecordsOwnFields) {
    std::vector<int> seen;
    windowIn(7, [&seen](int16_t& code, int32_t& a1, int32_t& a2, int32_t& a3, int32_t& a4) {
        seen = {code, a1, a2, a3, a4};
        code = 9;
        a1 = 5;
        a4 = -1;
        return true;
    });
    EventRecord r(7);
    r->SubCode = 0x1234;
    r->Arg1 = 1;
    r->Arg2 = 2;
    r->Arg3 = 3;
    r->Arg4 = 4;
    EXPECT_EQ(raise(r), 0);
    EXPECT_EQ(seen, (std::vector<int>{0x1234, 1, 2, 3, 4}));
    EXPECT_EQ(r->SubCode, 9);
    EXPECT_EQ(r->Arg1, 5) << "what FCmd stores is what the engine reads back";
    EXPECT_EQ(r->Arg4, -1);
    EXPECT_TRUE(boxes_.empty());
}

struct FCmdErrorCase {
    const char* name;
    int32_t number;     // 0: the window has no FCmd
    const char* shown;  // "" when nothing is shown
    bool stops;
};

class FCmdErrors : public EngineEvents, public ::testing::WithParamInterface<FCmdErrorCase> {};

TEST_P(FCmdErrors, NeverReachTheEngine) {
    const FCmdErrorCase& c = GetParam();
    yov::FCmdMember fcmd;
    if (c.number != 0) {
        fcmd = [n = c.number](int16_t&, int32_t&, int32_t&, int32_t&, int32_t&) -> bool {
            throw yov::ProgramError(n, u"went wrong");
        };
    }
    windowIn(3, fcmd);
    EventRecord r(3);
    EXPECT_EQ(raise(r), 0);
    if (*c.shown == '\0') {
        EXPECT_TRUE(boxes_.empty());
    } else {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(utf8(boxes_[0].text).rfind(c.shown, 0), 0u) << utf8(boxes_[0].text);
        EXPECT_EQ(boxes_[0].style, 64);
        EXPECT_EQ(utf8(boxes_[0].title), "");
    }
    EXPECT_EQ(yov::programState().run.StopRequest, c.stops ? 1 : 0);
}

const FCmdErrorCase kFCmdErrors[] = {
    {"NotMineIsSilent", 6009, "", false},
    {"OtherErrorsAreShown", 5, "Error (5) went wrong", false},
    {"AReportedStopStopsTheShow", 6016, "", true},
    {"AWindowWithoutFCmd", 0, "Error (438) ", false},
};
INSTANTIATE_TEST_SUITE_P(Errors, FCmdErrors, ::testing::ValuesIn(kFCmdErrors),
                         [](const ::testing::TestParamInfo<FCmdErrorCase>& i) { return std::string(i.param.name); });

TEST_F(EngineEvents, ShowCommandsGoToTheShowByValue) {
    struct Show : yov::ShowParts {
        void keyCommand(int16_t code, int32_t value) override { seen = {code, value}; }
        std::vector<int> seen;
    } show;
    yov::ScopedInstall<yov::ShowParts> use(show);
    EventRecord r(0);
    r->SubCode = 27;
    r->Arg1 = 99;
    EXPECT_EQ(raise(r), 0);
    EXPECT_EQ(show.seen, (std::vector<int>{27, 99}));
}

TEST_F(EngineEvents, CloseOfTheShowWindowStopsTheShow) {
    EventRecord r(201);
    raise(r);
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
}

TEST_F(EngineEvents, MenuCaptionsAreLookedUpAndAnswered) {
    EventRecord open(203, u"OPEN", u"");
    raise(open);
    EventRecord own(203, u"NOSUCHKEY", u"&Own caption");
    raise(own);
    EventRecord empty(203, u"", u"Default");
    raise(empty);
    EXPECT_EQ(engine_.calls(),
              (std::vector<std::string>{"SetMenuTxt Open ...", "SetMenuTxt &Own caption", "SetMenuTxt "}))
        << "an empty key still asks and answers";
}

TEST_F(EngineEvents, WaitingTakesAFrameStepAndAStopBecomesARequest) {
    program_test::RecordedFrameSteps steps;
    steps.onStep = [](int32_t) { throw yov::ProgramError(6016, u"stopped"); };
    EventRecord r(204);
    EXPECT_EQ(raise(r), 0);
    EXPECT_EQ(steps.sites, std::vector<int32_t>{0});
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
    EXPECT_TRUE(boxes_.empty());

    steps.onStep = [](int32_t) { throw std::runtime_error("broken step"); };
    raise(r);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(utf8(boxes_[0].text), "Error (5) broken step");
}

TEST_F(EngineEvents, PumpingLetsPendingEventsRun) {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    EventRecord r(205);
    raise(r);
    EXPECT_TRUE(ran);
}

TEST_F(EngineEvents, MessagesAndLogLines) {
    EventRecord box(208, u"Something to say", u"A title");
    raise(box);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(utf8(boxes_[0].text), "Something to say");
    EXPECT_EQ(boxes_[0].style, 64);
    EXPECT_EQ(utf8(boxes_[0].title), "A title");

    EventRecord line(213, u"a line for the log");
    raise(line);
    EventRecord message(206, u"a message of the engine");
    raise(message);
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "a line for the log");
    EXPECT_EQ(lines.back(), "a message of the engine");
}

TEST_F(EngineEvents, OtherCodesDoNothing) {
    for (int16_t code : {45, 100, 200, 202, 207, 209, 210, 211, 212, 214, 300, -1}) {
        EventRecord r(code, u"text");
        EXPECT_EQ(raise(r), 0) << code;
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(yov::programState().run.StopRequest, 0);
    EXPECT_TRUE(engine_.calls().empty());
    EXPECT_EQ(yov::OnEngineEvent(nullptr), 0);
}

}  // namespace
