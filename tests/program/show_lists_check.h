// A walk over the show's lists, for tests that run many frames: the step, priority and start
// lists (each record live, marked as on that list, on one list once, with the right tail),
// the active and free train lists (every record on one of them), the member pictures (each
// in use by one member of one live train) and the animation wheel with its far list (each
// running slot once, and counted). The first fault found, or an empty text.
#pragma once

#include <set>
#include <string>

#include "program/scene/picture_slot.h"
#include "program/show/anim_wheel.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace show_test {

inline std::string TrainListFault(int32_t head, int32_t tail, uint8_t which, std::set<int32_t>& seen) {
    yov::TrainTable& t = yov::trains();
    int32_t last = 0;
    for (int32_t r = head; r != 0; r = t.at(r).NextQueued) {
        const std::string name = "train " + std::to_string(r) + " on list " + std::to_string(which);
        if (!t.valid(r)) return name + ": no such record";
        if (!seen.insert(r).second) return name + ": twice on the lists";
        if (t.at(r).State == yov::train_state::kFree) return name + ": a free record";
        if (t.at(r).OnList != which) return name + ": marked as on list " + std::to_string(t.at(r).OnList);
        last = r;
    }
    if (tail != last) return "list " + std::to_string(which) + ": tail " + std::to_string(tail);
    return {};
}

inline std::string ShowListsFault() {
    const yov::ShowLists& l = yov::showState().Lists;
    std::set<int32_t> queued;
    for (const std::string& fault : {TrainListFault(l.StepHead, l.StepTail, yov::train_list::kSteps, queued),
                                     TrainListFault(l.PriorityHead, l.PriorityTail, yov::train_list::kPriority, queued),
                                     TrainListFault(l.StartHead, l.StartTail, yov::train_list::kStarts, queued)}) {
        if (!fault.empty()) return fault;
    }
    yov::TrainTable& t = yov::trains();
    std::set<int32_t> live;
    for (int32_t r = t.ActiveHead; r != 0; r = t.at(r).NextActive) {
        if (!live.insert(r).second) return "train " + std::to_string(r) + " twice on the active list";
        if (t.at(r).State == yov::train_state::kFree) return "free train " + std::to_string(r) + " is active";
    }
    int32_t free = 0;
    for (int32_t r = t.FreeHead; r != 0; r = t.at(r).NextActive) {
        if (t.at(r).State != yov::train_state::kFree) return "live train " + std::to_string(r) + " on the free list";
        if (++free > t.Count) return "the free list goes round";
    }
    if (static_cast<int32_t>(live.size()) + free != t.Count) return "a train record leaked";
    for (int32_t r = 1; r <= t.Count; ++r) {
        if (t.at(r).OnList != 0 && queued.count(r) == 0) return "train " + std::to_string(r) + " marked but not queued";
    }
    std::set<int32_t> members;
    for (int32_t r : live) {
        for (int32_t i = 1; i <= t.at(r).MemberCount; ++i) {
            if (!members.insert(t.at(r).Members[static_cast<size_t>(i)]).second)
                return "a picture is a member twice, train " + std::to_string(r);
        }
    }
    yov::TrainPictureTable& pictures = yov::trainPictures();
    for (int32_t p = 1; p <= pictures.Count; ++p) {
        if (pictures[p].MotionState != yov::kPictureFree && members.count(p) == 0)
            return "picture " + std::to_string(p) + " leaked";
    }
    yov::AnimWheelState& w = yov::animWheel();
    yov::PictureSlotTable& slotTable = yov::pictureSlots();
    std::set<int32_t> onWheel;
    std::string fault;
    const auto walk = [&](int32_t head) {
        for (int32_t s = head; s != 0 && fault.empty(); s = slotTable[s].WheelNext) {
            if (!onWheel.insert(s).second) fault = "slot " + std::to_string(s) + " twice on the wheel";
            if (slotTable[s].State == yov::kSlotAtRest || slotTable[s].State == yov::kSlotFree)
                fault = "slot " + std::to_string(s) + " on the wheel at rest";
        }
    };
    for (int32_t place = 0; place < yov::kWheelPlaces; ++place) walk(w.AnimWheel[static_cast<size_t>(place)]);
    walk(w.AnimOverflow);
    if (!fault.empty()) return fault;
    if (static_cast<int32_t>(onWheel.size()) != w.AnimScheduled) return "the wheel's count is wrong";
    return {};
}

}  // namespace show_test
