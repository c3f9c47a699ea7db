#include "program/show/anim_wheel.h"

#include <algorithm>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/sprite_program.h"
#include "program/scene/picture_slot.h"
#include "program/trains/train_records.h"

namespace yov {

namespace {

// Back buffers 0 to n of a part's page-count byte (the shared mask table's entry n).
int32_t pagesUpTo(uint8_t n) {
    if (n >= 31) return -1;
    if (n == 30) return 0x7FFFFFFF;
    return static_cast<int32_t>((1u << (n + 1)) - 1);
}

void push(int32_t& head, int32_t slot) {
    pictureSlots()[slot].WheelNext = head;
    head = slot;
}

// Every slot waits on the far list for its turn of slot 0; those due within the coming
// turn go onto their place of the wheel, the others wait another turn.
void sortOverflow() {
    AnimWheelState& w = animWheel();
    PictureSlotTable& slots = pictureSlots();
    int32_t p = w.AnimOverflow;
    w.AnimOverflow = 0;
    for (int32_t hops = 0; p != 0 && slots.valid(p) && hops <= slots.Count; ++hops) {
        const int32_t next = slots[p].WheelNext;
        PictureSlot& s = slots[p];
        if (s.DueCount < kWheelPlaces) {
            push(w.AnimWheel[static_cast<size_t>(std::max(s.DueCount, 0))], p);
        } else {
            s.DueCount -= kWheelPlaces;
            push(w.AnimOverflow, p);
        }
        p = next;
    }
}

// An animation has ended: its part's count and the show's count go down, never below 0.
void endAnim(int32_t slot) {
    AnimWheelState& w = animWheel();
    PicPartPool& parts = picParts();
    PictureSlot& s = pictureSlots()[slot];
    const int32_t part = s.OwnerPart;
    if (parts.valid(part) && parts[part].AnimCount > 0) --parts[part].AnimCount;
    if (w.AnimScheduled > 0) --w.AnimScheduled;
    s.State = kSlotAtRest;
}

void linkToTrain(int32_t slot) {
    PicPartPool& parts = picParts();
    PictureSlot& s = pictureSlots()[slot];
    const int32_t part = s.OwnerPart;
    if (!parts.valid(part)) return;
    TrainTable& t = trains();
    const int32_t train = parts[part].Train;
    if (!t.valid(train)) return;
    int32_t& head = t.at(train).AnimSlots;
    s.TrainNext = head;
    head = slot;
    s.Linked = 1;
}

void stepPlace(int32_t place) {
    AnimWheelState& w = animWheel();
    PictureSlotTable& slots = pictureSlots();
    PicPartPool& parts = picParts();
    int32_t p = w.AnimWheel[static_cast<size_t>(place)];
    w.AnimWheel[static_cast<size_t>(place)] = 0;
    for (int32_t hops = 0; p != 0 && slots.valid(p) && hops <= slots.Count; ++hops) {
        const int32_t next = slots[p].WheelNext;
        slots[p].WheelNext = 0;
        const uint8_t state = slots[p].State;
        if (state == kSlotFree) {
            p = next;
            continue;
        }
        if (state == kSlotAtRest) {
            endAnim(p);
            p = next;
            continue;
        }
        {
            PictureSlot& s = slots[p];
            s.ShowFrame = s.AnimFrame;
            if (parts.valid(s.OwnerPart)) {
                PicPart& part = parts[s.OwnerPart];
                part.RedrawMask = pagesUpTo(part.PageCount);
                MarkPartPhasesChanged(part);
            }
        }
        if (slots[p].Linked == 0) linkToTrain(p);
        const int32_t r = AnimStep(p);
        if (r >= 1 && r < kWheelPlaces) {
            push(w.AnimWheel[static_cast<size_t>((place + r) % kWheelPlaces)], p);
        } else if (r >= kWheelPlaces) {
            slots[p].DueCount = r - (kWheelPlaces - place);
            push(w.AnimOverflow, p);
        } else {
            endAnim(p);
        }
        p = next;
    }
}

}  // namespace

void StepAnimations(int32_t elapsedMs) {
    AnimWheelState& w = animWheel();
    const int32_t carry = std::clamp(w.AnimWheelCarry, 0, kWheelPlaceMs - 1);
    // A negative step (a clock gone backwards) turns nothing.
    const int32_t total = std::clamp(elapsedMs, 0, kMaxWheelStepMs) + carry;
    const int32_t start = ((w.AnimWheelPos % kWheelPlaces) + kWheelPlaces) % kWheelPlaces;
    const int32_t places = total / kWheelPlaceMs;
    w.AnimWheelPos = (start + places) % kWheelPlaces;
    w.AnimWheelCarry = total % kWheelPlaceMs;
    // Every place passed is visited, slot 0 each time the wheel passes it, so a step of
    // more than a turn keeps the far list's counts right.
    for (int32_t k = 0; k < places; ++k) {
        const int32_t place = (start + k) % kWheelPlaces;
        if (place == 0) sortOverflow();
        stepPlace(place);
    }
}

}  // namespace yov
