#include "program/show/timed_object_events.h"

#include <algorithm>

#include "platform/numbers.h"
#include "program/core/startup/program_state.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_step.h"
#include "program/show/object_motion.h"
#include "program/show/part_anims.h"
#include "program/show/sections.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/show_data/show_view.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

constexpr uint8_t kCursorHidden = 1;
constexpr uint8_t kCursorCountingDown = 2;
constexpr uint8_t kWakeAll = 127;

int32_t lastMemberPicture(const TrainRec& rec) {
    const int32_t n = std::min<int32_t>(rec.MemberCount, kMaxTrainMembers);
    return n >= 1 ? rec.Members[static_cast<size_t>(n)] : 0;
}

int32_t lastMemberWidth(const TrainRec& rec) {
    TrainPictureTable& pictures = trainPictures();
    const int32_t id = lastMemberPicture(rec);
    return pictures.valid(id) ? pictures[id].Width : 0;
}

// A queued start, after the rules let it through: the train is on its way, and its start
// actions run once its painting has caught up.
void startQueued(int32_t train) {
    ShowState& ss = showState();
    ss.StartDelay = ss.StartSpacing;
    ++ss.StartedTrains;
    TakeTrainStart();
    ScheduleObjectAnims(trains().at(train));
    TrainRec& rec = trains().at(train);
    rec.WaitText = rec.StartText;
    if ((rec.BufferRedraw[0] & 0xFF & kStartRedrawBits) != 0 && (rec.Flags & train_flag::kDependent) == 0) {
        const int32_t pages = std::min<int32_t>(BookPages(ss), 2);
        for (int32_t b = 0; b <= pages; ++b) rec.BufferRedraw[static_cast<size_t>(b)] |= train_flag::kStartDeferred;
        rec.Flags |= train_flag::kStartDeferred;
    } else {
        rec.Flags |= train_flag::kStarted | train_flag::kWaiting;
        QueueObjectStep(train);
    }
}

// A train of the priority wait list: its last unit enters behind the rest.
void startPriority(int32_t train) {
    TakePriorityTrain();
    const int32_t picture = lastMemberPicture(trains().at(train));
    ScheduleAnimEntry(picture);
    TrainPictureTable& pictures = trainPictures();
    if (pictures.valid(picture)) pictures[picture].MotionState = motion_state::kEntering;
}

// Stage 0: takes a due tick, then starts one train when the rules allow it.
int32_t betweenTicks() {
    ShowState& ss = showState();
    if (ss.TickAccumulator > ss.TickMs) {
        ss.TickAccumulator -= ss.TickMs;
        // A backlog is dropped, not worked off tick by tick.
        if (ss.TickAccumulator > ss.TickBacklogMs) ss.TickAccumulator = 0;
        ss.TickDue = 1;
    }
    if (ss.SplashMs != 0 || ss.StepMode != 0) return kTickNothing;

    const ShowLists& lists = ss.Lists;
    const ShowSettings& limits = programState().settings.Show;
    const size_t mode = programState().run.ShowMode != 0 ? 1 : 0;
    const bool priority = lists.PriorityHead != 0;
    int32_t train = 0;
    int32_t length = 0;
    // Credits are counted first and taken only by the start itself: a start that has to
    // wait keeps them.
    int32_t credits = 0;
    if (priority) {
        train = lists.PriorityHead;
        if (ss.StartMode == 2) {
            credits = 1;
            if (ss.StartCredits < credits) return kTickNothing;
        }
        length = lastMemberWidth(trains().at(train));
    } else {
        if (lists.StartHead == 0 || ss.StartDelay > 0) return kTickNothing;
        if (limits.LimLinB[mode] != 0 && ss.StartedTrains >= limits.LimLinV[mode]) return kTickNothing;
        train = lists.StartHead;
        length = trains().at(train).TotalLength;
    }
    if (ss.StartedTrains != 0 && limits.LimLenB[mode] != 0 &&
        int64_t{ss.StartedLength} + length > int64_t{limits.LimLenV[mode]}) {
        return kTickNothing;
    }
    if (ss.StartMode != 0) ++credits;
    if (ss.StartCredits < credits) return kTickNothing;
    ss.StartCredits -= credits;

    trains().at(train).Flags &= ~train_flag::kQueued;
    if (priority)
        startPriority(train);
    else
        startQueued(train);
    ss.StartedLength = plat::clampToInt32(static_cast<double>(int64_t{ss.StartedLength} + length));
    // The train start takes it off again when the train or a unit of it ends.
    TrainRec& started = trains().at(train);
    started.CountedLength = plat::clampToInt32(static_cast<double>(int64_t{started.CountedLength} + length));
    return kTickTrainStarted;
}

// Stage 1: start spacing and the trains' waits.
int32_t tickTrainWaits() {
    ShowState& ss = showState();
    if (ss.StepMode == 0) {
        if (ss.StartDelay > 0) --ss.StartDelay;
        TrainTable& t = trains();
        int32_t hops = 0;
        for (int32_t r = t.ActiveHead; r != 0; r = t.at(r).NextActive) {
            t.checkHops(hops++);
            TrainRec& rec = t.at(r);
            if (rec.WaitTicks <= 0) continue;
            if (--rec.WaitTicks != 0) continue;
            if ((rec.Flags & train_flag::kRestartA) != 0) {
                rec.Flags &= ~train_flag::kRestartA;
                if ((rec.Flags & train_flag::kRestartB) == 0) QueueTrainStart(r);
            } else {
                QueueObjectStep(r);
            }
        }
    }
    ss.TickDue = 2;
    return kTickStage;
}

// Stage 2: the cursor's countdown and the sections' waits.
int32_t tickCursorAndSections() {
    ShowState& ss = showState();
    if (ss.CursorState == kCursorCountingDown && ss.CursorHideCountdown > 0) {
        if (--ss.CursorHideCountdown == 0) {
            DisplayState& d = displayState();
            if (d.ShowForm && d.ShowForm->hideCursor()) d.CursorHidden = 1;
            ss.CursorState = kCursorHidden;
        }
    }
    if (ss.StepMode == 0) {
        RunQueue& q = runQueue();
        for (int32_t k = 1; k <= q.Count; ++k) {
            const TimedEvent& ev = q.at(k);
            if (ev.Kind != event_kind::kSection && ev.Kind != event_kind::kScene) continue;
            SectRec& sect = sectRec(ev.Target);
            if (sect.WaitTicks <= 0) continue;
            if (--sect.WaitTicks == 0) FlagEventChain(k, kWakeAll);
        }
    }
    ss.TickDue = 3;
    return kTickStage;
}

// Stage 3: the system gets its moment when nothing yielded for a while.
int32_t tickYield() {
    ShowState& ss = showState();
    if (ss.UnyieldedMs > ss.YieldAfterMs && ss.YieldedThisStep == 0) YieldToSystem(u"TIM_DOEVENT");
    ss.TickDue = 4;
    return kTickStage;
}

}  // namespace

int32_t DoTimedEvents() {
    ShowState& ss = showState();
    switch (ss.TickDue) {
    case 1: return tickTrainWaits();
    case 2: return tickCursorAndSections();
    case 3: return tickYield();
    case 4: ss.TickDue = 0; return kTickNothing;
    default: ss.TickDue = 0; return betweenTicks();
    }
}

void StartTimedEvents() {
    ShowState& ss = showState();
    ss.TickDue = 0;
    ss.StartSpacing = 2 * ss.TicksPerSecond;
    ss.StartMode = 0;
    ss.YieldAfterMs = 100;
    // The full-screen show hides the cursor when its surfaces are first made.
    ss.CursorState = programState().run.ShowMode == 1 ? kCursorHidden : 0;
    ss.CursorHideCountdown = 0;
}

void ResetTrainStarts() {
    ShowState& ss = showState();
    ss.StartedTrains = 0;
    ss.StartedLength = 0;
    ss.StartDelay = 0;
}

}  // namespace yov
