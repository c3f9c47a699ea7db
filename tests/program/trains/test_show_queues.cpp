// The show's lists: first in, first out; the queued flag; a record on one shared-link list at
// most, moved rather than linked twice.
#include <vector>

#include "show_fixture.h"
#include "program/trains/show_queues.h"

namespace {

using show_test::ShowTest;
using namespace yov;

class ShowQueues : public ShowTest {
protected:
    static std::vector<int32_t> Drain(int32_t (*take)()) {
        std::vector<int32_t> out;
        for (int32_t n = take(); n != 0 && out.size() < 300; n = take()) out.push_back(n);
        return out;
    }
};

TEST_F(ShowQueues, AppendingToAnEmptyListSetsHeadAndTail) {
    Root();
    const int32_t t = NewTrainRec(train_flag::kDependent);
    showState().Lists.StepTail = 99;  // a stale tail is not read
    QueueObjectStep(t);
    EXPECT_EQ(showState().Lists.StepHead, t);
    EXPECT_EQ(showState().Lists.StepTail, t);
    EXPECT_EQ(Drain(TakeObjectStep), std::vector<int32_t>{t});
    EXPECT_EQ(showState().Lists.StepTail, 0);
}

TEST_F(ShowQueues, TheQueuedFlag) {
    struct Case {
        const char* name;
        void (*queue)(int32_t);
        int32_t (*take)();
        bool flags;
    };
    const std::vector<Case> cases = {
        {"object step", QueueObjectStep, TakeObjectStep, true},
        {"current train",
         [](int32_t t) {
             showState().CurTrain = t;
             QueueCurrentTrain();
         },
         TakePriorityTrain, true},
        {"train start", QueueTrainStart, TakeTrainStart, false},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t a = NewTrainRec(train_flag::kDependent);
        const int32_t b = NewTrainRec(train_flag::kDependent);
        const int32_t d = NewTrainRec(train_flag::kDependent);
        c.queue(b);
        c.queue(a);
        c.queue(d);
        c.queue(a);  // already there: stays in its place
        EXPECT_EQ((trains().at(a).Flags & train_flag::kQueued) != 0, c.flags) << c.name;
        EXPECT_EQ(Drain(c.take), (std::vector<int32_t>{b, a, d})) << c.name;
        TearDown();
    }
}

TEST_F(ShowQueues, ARecordOnAnotherListIsMoved) {
    const int32_t a = NewTrainRec(train_flag::kDependent);
    const int32_t b = NewTrainRec(train_flag::kDependent);
    const int32_t c = NewTrainRec(train_flag::kDependent);
    QueueObjectStep(a);
    QueueObjectStep(b);
    QueueObjectStep(c);
    QueueTrainStart(b);
    EXPECT_EQ(Drain(TakeObjectStep), (std::vector<int32_t>{a, c}));
    EXPECT_EQ(Drain(TakeTrainStart), std::vector<int32_t>{b});
    QueueObjectStep(c);
    QueueTrainStart(c);
    EXPECT_EQ(showState().Lists.StepHead, 0);
    EXPECT_EQ(showState().Lists.StepTail, 0) << "the moved tail leaves an empty list";
}

TEST_F(ShowQueues, DueEntries) {
    const int32_t root = Root();
    const int32_t s = Section(2, root, 0, 50);
    const int32_t t = NewTrainRec(train_flag::kDependent);
    const int32_t line = AddTimedEvent(event_kind::kTrainLine, t, root, 100, 20);
    QueueDueEvent(root);
    QueueDueEvent(line);
    QueueDueEvent(s);
    QueueDueEvent(root);  // already due
    EXPECT_NE(trains().at(t).Flags & train_flag::kQueued, 0);
    EXPECT_EQ(Drain(TakeDueEvent), (std::vector<int32_t>{root, line, s}));
    QueueDueEvent(root);
    EXPECT_EQ(Due(), std::vector<int32_t>{root}) << "taken entries can be queued again";
}

}  // namespace
