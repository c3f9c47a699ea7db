#include "program/trains/timed_events.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "program/core/params/param_expr.h"
#include "program/core/windows/utilities.h"
#include "program/trains/show_queues.h"
#include "program/trains/section_table.h"
#include "program/trains/train_records.h"

namespace yov {

namespace {

constexpr int32_t kBandPositionSite = 21003;

int32_t& nextSibling(TimedEvent& ev) { return ev.Next; }

bool bottomUp(int32_t band) {
    const TimedEvent& ev = runQueue().at(band);
    if (ev.Kind == event_kind::kTrainLine || !SectExists(ev.Target)) return false;
    return (sectRec(ev.Target).Flags & sect_flag::kBottomUp) != 0;
}

void flagChain(int32_t entry, uint8_t level, int32_t depth) {
    RunQueue& q = runQueue();
    q.checkHops(depth);
    const uint8_t kind = q.at(entry).Kind;
    uint8_t effective = level;
    if (kind != event_kind::kTrainLine) {
        const int32_t sect = q.at(entry).Target;
        effective = std::min(level, sectRec(sect).FinishMode);
    }
    int32_t child = q.at(entry).FirstChild;
    for (int32_t hops = 0; child != 0; ++hops) {
        q.checkHops(hops);
        const int32_t next = q.at(child).Next;  // read first: a child's chain may queue and grow
        flagChain(child, effective, depth + 1);
        child = next;
    }
    if (kind == event_kind::kSection || kind == event_kind::kScene) {
        MarkSectFinishing(q.at(entry).Target);
        return;
    }
    if (kind != event_kind::kTrainLine) return;
    const int32_t t = q.at(entry).Target;
    TrainRec& train = trains().at(t);
    train.Flags |= train_flag::kFinishing;
    if (effective < 3 && (train.State == train_state::kRegenerate || train.State == train_state::kRecomposing)) {
        train.StepText[0].clear();
    }
    if (effective <= 1) {
        if ((train.Flags & train_flag::kQueued) == 0) QueueObjectStep(t);
        TrainRec& again = trains().at(t);
        again.State = train_state::kRunEnded;
        again.Flags &= ~train_flag::kWaiting;
    }
}

}  // namespace

void ResetRunQueue() {
    RunQueue& q = runQueue();
    q.Count = 0;
    q.FreeHead = 0;
}

int32_t AddTimedEvent(uint8_t kind, int32_t target, int32_t parent, int32_t top, int32_t height) {
    RunQueue& q = runQueue();
    // A parent or train outside their tables is refused before an entry is taken, so that no
    // entry is left out of every list.
    if (kind != event_kind::kRoot) q.at(parent);
    if (kind == event_kind::kTrainLine) trains().at(target);
    const int32_t e = q.take(kRunQueueGrowth, nextSibling);
    TimedEvent& ev = q.at(e);
    ev = TimedEvent{};
    ev.Index = e;
    ev.Top = top;
    ev.Height = height;
    ev.Kind = kind;
    ev.Target = target;
    ev.Parent = kind == event_kind::kRoot ? 0 : parent;
    if (kind == event_kind::kTrainLine) {
        TrainRec& train = trains().at(target);
        train.Event = e;
        train.BandTop = top;
        train.BandHeight = height;
    } else {
        const int32_t limit = BindSectEvent(target, e, top, height);
        runQueue().at(e).TrainLimit = limit;
    }
    if (kind != event_kind::kRoot) {
        RunQueue& rq = runQueue();
        rq.insertSorted(rq.at(parent).FirstChild, e, nextSibling, [](const TimedEvent& ev) { return ev.Top; });
    }
    return e;
}

void ReleaseTimedEvent(int32_t entry) {
    RunQueue& q = runQueue();
    TimedEvent& ev = q.at(entry);
    // Releasing an entry twice would put it on the free list twice and hand it out twice.
    if (ev.Kind == event_kind::kFree) return;
    const int32_t parent = ev.Parent;
    if (parent != 0) q.unlink(q.at(parent).FirstChild, entry, nextSibling);
    UnqueueDueEvent(entry);
    TimedEvent& freed = q.at(entry);
    freed.Kind = event_kind::kFree;
    freed.Next = q.FreeHead;
    q.FreeHead = entry;
    if (parent == 0) return;
    const TimedEvent& up = q.at(parent);
    if (up.Kind == event_kind::kFree || up.Kind == event_kind::kTrainLine) return;
    SectRec& waiting = sectRec(up.Target);
    if (waiting.RunState != kSectWaitingForRoom) return;
    waiting.RunState = kSectWoken;
    QueueDueEvent(parent);
}

int32_t FindBandPosition(int32_t band, int32_t h, std::u16string_view position) {
    RunQueue& q = runQueue();
    int32_t up = band;
    for (int32_t hops = 0; up != 0; ++hops) {
        q.checkHops(hops);
        const TimedEvent& ev = q.at(up);
        if (ev.TrainLimit != 0 && ev.ActiveTrains >= ev.TrainLimit) return kTrainLimitReached;
        up = ev.Parent;
    }
    const TimedEvent& b = q.at(band);
    int64_t count = 0;
    int64_t cursor = b.Top;
    int32_t child = b.FirstChild;
    for (int32_t hops = 0; child != 0; ++hops) {
        q.checkHops(hops);
        const TimedEvent& c = q.at(child);
        const int64_t gap = c.Top - cursor - h;
        if (gap >= 0) count += gap + 1;
        cursor = int64_t{c.Top} + c.Height;
        child = c.Next;
    }
    const int64_t rest = int64_t{b.Top} + b.Height - cursor;
    if (rest >= h) count += rest - h + 1;
    if (count <= 0) return kNoRoom;

    if (position.empty()) {
        int64_t r = GetRandomIndex(static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)), kBandPositionSite);
        cursor = b.Top;
        child = b.FirstChild;
        for (int32_t hops = 0; child != 0; ++hops) {
            q.checkHops(hops);
            const TimedEvent& c = q.at(child);
            const int64_t gap = c.Top - cursor - h;
            if (gap >= 0) {
                if (r <= gap) break;
                r -= gap + 1;
            }
            cursor = int64_t{c.Top} + c.Height;
            child = c.Next;
        }
        return static_cast<int32_t>(cursor + r);
    }

    const int64_t lowest = int64_t{b.Height} - h;
    int64_t offset = 0;
    if (position == u"<" || position == u"^") {
        offset = 0;
    } else if (position == u"*") {
        offset = lowest / 2;
    } else if (position == u">" || position == u"_") {
        offset = lowest;
    } else {
        const double v = EvalRelativeValue(position).number();
        offset = std::isfinite(v) ? std::llrint(std::clamp(v, -2.0e9, 2.0e9)) : 0;
        if (offset > lowest) offset = lowest;
        // In a block whose vertical coordinates run bottom up a position is a height above its
        // bottom.
        if (bottomUp(band)) offset = std::min(lowest, lowest - offset);
    }
    const TimedEvent& again = q.at(band);
    const int64_t start = again.Top + offset;
    const int64_t end = start + h;
    child = again.FirstChild;
    for (int32_t hops = 0; child != 0; ++hops) {
        q.checkHops(hops);
        const TimedEvent& c = q.at(child);
        if (start < int64_t{c.Top} + c.Height && c.Top < end) return kNoRoom;
        child = c.Next;
    }
    return static_cast<int32_t>(start);
}

void AddActiveCount(int32_t entry, int32_t delta) {
    RunQueue& q = runQueue();
    for (int32_t hops = 0; entry != 0; ++hops) {
        q.checkHops(hops);
        TimedEvent& ev = q.at(entry);
        ev.ActiveTrains += delta;
        entry = ev.Parent;
    }
}

void FlagEventChain(int32_t entry, uint8_t level) { flagChain(entry, level, 0); }

}  // namespace yov
