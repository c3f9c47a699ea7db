#include "program/trains/show_queues.h"

#include "program/show_data/show_state.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"

namespace yov {

namespace {

struct TrainList {
    int32_t& head;
    int32_t& tail;
};

TrainList listOf(uint8_t which) {
    ShowLists& l = showState().Lists;
    switch (which) {
    case train_list::kSteps: return {l.StepHead, l.StepTail};
    case train_list::kPriority: return {l.PriorityHead, l.PriorityTail};
    default: return {l.StartHead, l.StartTail};
    }
}

int32_t& nextQueued(TrainRec& r) { return r.NextQueued; }
int32_t& dueNext(TimedEvent& ev) { return ev.DueNext; }

void unlinkTrain(uint8_t which, int32_t n) {
    TrainList list = listOf(which);
    TrainTable& t = trains();
    const int32_t prev = t.unlink(list.head, n, nextQueued);
    if (prev >= 0 && list.tail == n) list.tail = prev;
    t.at(n).OnList = train_list::kNone;
}

void appendTrain(uint8_t which, int32_t n) {
    TrainTable& t = trains();
    const uint8_t on = t.at(n).OnList;
    if (on == which) return;
    if (on != train_list::kNone) unlinkTrain(on, n);
    TrainList list = listOf(which);
    if (list.head == 0)
        list.head = n;
    else
        t.at(list.tail).NextQueued = n;
    TrainRec& rec = t.at(n);
    rec.NextQueued = 0;
    rec.OnList = which;
    list.tail = n;
}

int32_t takeTrain(uint8_t which) {
    TrainList list = listOf(which);
    const int32_t n = list.head;
    if (n == 0) return 0;
    TrainRec& rec = trains().at(n);
    list.head = rec.NextQueued;
    if (list.head == 0) list.tail = 0;
    rec.NextQueued = 0;
    rec.OnList = train_list::kNone;
    return n;
}

}  // namespace

void QueueDueEvent(int32_t entry) {
    RunQueue& q = runQueue();
    TimedEvent& ev = q.at(entry);
    if (ev.Kind == event_kind::kTrainLine) trains().at(ev.Target).Flags |= train_flag::kQueued;
    if (ev.OnDueList != 0) return;
    ShowLists& l = showState().Lists;
    if (l.DueHead == 0)
        l.DueHead = entry;
    else
        q.at(l.DueTail).DueNext = entry;
    TimedEvent& e = q.at(entry);
    e.DueNext = 0;
    e.OnDueList = 1;
    l.DueTail = entry;
}

void QueueObjectStep(int32_t train) {
    trains().at(train).Flags |= train_flag::kQueued;
    appendTrain(train_list::kSteps, train);
}

void QueueTrainStart(int32_t train) { appendTrain(train_list::kStarts, train); }

void QueueCurrentTrain() {
    const int32_t train = showState().CurTrain;
    trains().at(train).Flags |= train_flag::kQueued;
    appendTrain(train_list::kPriority, train);
}

int32_t TakeDueEvent() {
    ShowLists& l = showState().Lists;
    const int32_t e = l.DueHead;
    if (e == 0) return 0;
    TimedEvent& ev = runQueue().at(e);
    l.DueHead = ev.DueNext;
    if (l.DueHead == 0) l.DueTail = 0;
    ev.DueNext = 0;
    ev.OnDueList = 0;
    return e;
}

int32_t TakeObjectStep() { return takeTrain(train_list::kSteps); }
int32_t TakePriorityTrain() { return takeTrain(train_list::kPriority); }
int32_t TakeTrainStart() { return takeTrain(train_list::kStarts); }

void UnqueueDueEvent(int32_t entry) {
    RunQueue& q = runQueue();
    if (q.at(entry).OnDueList == 0) return;
    ShowLists& l = showState().Lists;
    const int32_t prev = q.unlink(l.DueHead, entry, dueNext);
    if (prev >= 0 && l.DueTail == entry) l.DueTail = prev;
    q.at(entry).DueNext = 0;
    q.at(entry).OnDueList = 0;
}

void UnqueueTrain(int32_t train) {
    const uint8_t on = trains().at(train).OnList;
    if (on != train_list::kNone) unlinkTrain(on, train);
}

void ResetShowLists() {
    showState().Lists = ShowLists{};
    RunQueue& q = runQueue();
    for (int32_t e = 1; e <= q.Count; ++e) q.at(e).OnDueList = 0;
    TrainTable& t = trains();
    for (int32_t n = 1; n <= t.Count; ++n) {
        t.at(n).OnList = train_list::kNone;
        t.at(n).NextQueued = 0;
    }
}

}  // namespace yov
