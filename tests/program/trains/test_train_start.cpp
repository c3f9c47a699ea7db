#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/msgbox.h"
#include "program/scene/param_table.h"
#include "program/show/show_queues.h"
#include "program/trains/train_start.h"
#include "tests/program/show_fixture.h"

namespace {

namespace ts = yov::train_state;
namespace tf = yov::train_flag;

// A section of numbered script lines; a line whose text holds "BAD" has a vehicle that
// fails after its parts were allocated.
class TrainStart : public show_test::ShowTestOn<> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        yov::genTrainState() = yov::GenTrainState{};
        yov::ClearParams();
        previous_ = yov::setMsgBoxResponder([this](std::u16string_view text, int32_t, std::u16string_view, int32_t) {
            boxes.emplace_back(text);
            return answer;
        });
        yov::ShowSeams& s = yov::showSeams();
        s.pickSectLine = [this](int32_t) {
            const int32_t line = next < static_cast<int32_t>(order.size()) ? order[static_cast<size_t>(next)] : 0;
            ++next;
            return line;
        };
        s.lineText = [this](int32_t line) { return lines[line]; };
        s.markLineInUse = [this](int32_t line, int32_t train) { inUse[line] = train; };
        s.sectFinishing = [this](int32_t) { return finishing; };
        s.placeSimpleUnit = [this](int32_t train) {
            const int32_t part = yov::AllocPicPart(static_cast<uint8_t>(train));
            lastPart = part;
            if (yov::GetParam(u"C", u"") == u"BAD") throw yov::ProgramError(6002, u"Vehicle not found");
            yov::trains().at(train).Members[1] = 100 + part;
            yov::trains().at(train).MemberCount = 1;
            return 100 + part;
        };
        s.pictureDir = [](int32_t) -> int16_t { return 1; };
        train = yov::NewTrainRec(0);
        yov::trains().at(train).State = ts::kAwaitLine;
    }
    void TearDown() override {
        yov::setMsgBoxResponder(previous_);
        yov::ClearParams();
        ShowTestOn::TearDown();
    }

    yov::TrainRec& rec() { return yov::trains().at(train); }

    std::map<int32_t, std::u16string> lines{{1, u"C=ok"}, {2, u"C=BAD"}, {3, u"C=ok;M=FLY"}, {4, u"C=ok;M=simple"}};
    std::vector<int32_t> order;
    int32_t next = 0;
    std::map<int32_t, int32_t> inUse;
    std::vector<std::u16string> boxes;
    int32_t answer = yov::msgbox::kOk;
    bool finishing = false;
    int32_t train = 0;
    int32_t lastPart = 0;

private:
    yov::MsgBoxResponder previous_;
};

TEST_F(TrainStart, ALineStartsASimpleTrainOrFailsWholeAndGivesTheLineUp) {
    struct Case {
        const char* name;
        int32_t line;
        bool starts;
    };
    const Case cases[] = {
        {"no mode word", 1, true},
        {"simple in lower case", 4, true},
        {"a failing vehicle", 2, false},
        {"an unknown mode word", 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        order = {c.line, 1};
        next = 0;
        lastPart = 0;
        inUse.clear();
        boxes.clear();
        yov::GenTrain(train, 1);
        if (c.starts) {
            EXPECT_EQ(rec().State, 12);
            EXPECT_EQ(rec().OnList, yov::train_list::kStarts);
            EXPECT_NE(rec().Flags & tf::kQueued, 0);
            EXPECT_EQ(rec().MemberCount, 1);
            EXPECT_EQ(inUse[c.line], train);
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_NE(boxes[0].find(u"Error in the Timetable file"), std::u16string::npos);
            // Everything the attempt allocated is back, the line is free, and the next one waits.
            EXPECT_EQ(yov::picParts().StackCount, 0);
            if (lastPart != 0) {
                EXPECT_EQ(yov::picParts()[lastPart].State, yov::kPartFree);
            }
            EXPECT_EQ(rec().MemberCount, 0);
            EXPECT_EQ(inUse[c.line], 0);
            EXPECT_EQ(rec().Line, 1);
            EXPECT_EQ(rec().State, ts::kStarting);
            EXPECT_NE(rec().Flags & tf::kRestartA, 0);
        }
    }
}

TEST_F(TrainStart, AnswerFourSkipsTheBoxesOfLaterFailures) {
    answer = 4;
    order = {2, 2, 2};
    yov::GenTrain(train, 1);
    EXPECT_EQ(yov::genTrainState().SkipErr, 1);
    yov::GenTrain(train, 1);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(TrainStart, AnAlreadyReportedErrorPassesUntouched) {
    yov::showSeams().placeSimpleUnit = [](int32_t) -> int32_t { throw yov::ProgramError(6016, u""); };
    order = {1};
    try {
        yov::GenTrain(train, 1);
        ADD_FAILURE() << "no error";
    } catch (const yov::ProgramError& e) {
        EXPECT_EQ(e.number(), 6016);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TrainStart, AnEndedRunFreesItsMembersAndStartsTheNextLineAfterItsDelay) {
    order = {1, 4};
    yov::GenTrain(train, 1);
    EXPECT_EQ(yov::TakeTrainStart(), train);
    const int32_t first = rec().Members[1];
    yov::genTrainState().RunningTrainCount = 1;
    rec().State = ts::kRunEnded;
    yov::GenTrain(train, 1);
    EXPECT_NE(rec().Members[1], first);  // the next line's unit
    EXPECT_EQ(rec().MemberCount, 1);
    EXPECT_EQ(yov::genTrainState().RunningTrainCount, 0);
    EXPECT_EQ(inUse[1], 0);
    EXPECT_EQ(inUse[4], train);
    EXPECT_EQ(rec().RestartDelay, 3 * yov::showState().TicksPerSecond);
    EXPECT_EQ(rec().State, 12);
    EXPECT_NE(rec().Flags & tf::kRestartA, 0);
    EXPECT_NE(rec().OnList, yov::train_list::kStarts);
}

TEST_F(TrainStart, AFinishingSectionRemovesTheTrainWhenItsRunEnds) {
    order = {1};
    yov::GenTrain(train, 1);
    finishing = true;
    rec().State = ts::kRunEnded;
    yov::GenTrain(train, 1);
    EXPECT_EQ(rec().State, ts::kFree);
}

TEST_F(TrainStart, ARecompositionThatAlwaysFailsEndsTheRun) {
    order = {1};
    yov::GenTrain(train, 1);
    yov::genTrainState().SkipErr = 1;
    int32_t tries = 0;
    yov::showSeams().composeNextUnit = [&tries](int32_t) -> int32_t {
        ++tries;
        throw yov::ProgramError(6002, u"Vehicle not found");
    };
    yov::showSeams().pictureMotionState = [](int32_t) -> int16_t { return 2; };
    rec().StepText[0] = u"A\rB";
    rec().State = ts::kRegenerate;
    finishing = true;
    yov::GenTrain(train, 1);
    EXPECT_EQ(tries, yov::kMaxRecomposeAttempts);
    EXPECT_EQ(rec().State, ts::kFree);
}

TEST(LabelRow, StaysInsideTheLowerZone) {
    struct Case {
        double wanted;
        int32_t below, font, row;
    };
    const Case cases[] = {
        {5, 40, 12, 5}, {5.6, 40, 12, 6}, {35, 40, 12, 28}, {-3, 40, 12, 0}, {5, 8, 12, 0}, {400, 900, 12, 254},
    };
    for (const Case& c : cases) EXPECT_EQ(yov::ClampLabelRow(c.wanted, c.below, c.font), c.row) << c.wanted;
}

}  // namespace
