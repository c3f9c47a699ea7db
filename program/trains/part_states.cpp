#include "program/trains/part_states.h"

#include <array>

#include "program/core/pictures/anim_pools.h"
#include "program/scene/picture_slot.h"
#include "program/trains/train_picture.h"

namespace yov {
namespace {

constexpr int32_t kMaxStateGroups = 10;
constexpr int32_t kMaxPantographs = 4;
constexpr std::u16string_view kPantographTag = u"|PAN:";

// Chains are walked at most as far as their table is long: a damaged link cannot loop.
template <class F>
void forEachSlot(int32_t part, F&& f) {
    int32_t s = picParts()[part].FirstSlot;
    for (int32_t hops = 0; s != 0 && pictureSlots().valid(s) && hops <= pictureSlots().Count; ++hops) {
        const int32_t next = pictureSlots()[s].NextSlot;
        f(s);
        s = next;
    }
}

template <class F>
void forEachPart(int32_t picture, F&& f) {
    if (!trainPictures().valid(picture)) return;
    int32_t p = trainPictures()[picture].FirstPart;
    for (int32_t hops = 0; p != 0 && picParts().valid(p) && hops <= picParts().Count; ++hops) {
        const int32_t next = picParts()[p].NextPart;
        f(p);
        p = next;
    }
}

bool isPantograph(int32_t slot) { return pictureSlots()[slot].Name.find(kPantographTag) != std::u16string::npos; }

}  // namespace

void SetSlotFrame(int32_t slot, uint8_t atEnd) {
    if (!pictureSlots().valid(slot)) return;
    PictureSlot& s = pictureSlots()[slot];
    const uint8_t frame = atEnd != 0 ? s.LastFrame : 0;
    s.ShowFrame = frame;
    s.AnimFrame = frame;
    const int32_t part = s.OwnerPart;
    if (picParts().valid(part)) {
        picParts()[part].FrameTime = FrameTimingFor(picParts()[part].ExtraFrames);
        MarkPartPhasesChanged(picParts()[part]);
    }
}

void ApplyPartStates(int32_t part, std::u16string_view marker, std::u16string_view states) {
    if (!picParts().valid(part) || marker.empty()) return;
    std::array<int32_t, kMaxStateGroups> groupsOn{};
    int32_t groupCount = 0;
    forEachSlot(part, [&](int32_t slot) {
        const PictureSlot& s = pictureSlots()[slot];
        const size_t p = s.Name.find(marker);
        if (p == std::u16string::npos || p == 0) return;
        const std::u16string state = u"," + s.Name.substr(1, p - 1) + u",";
        bool on = states.find(state) != std::u16string_view::npos;
        if ((s.Flags & 0x0C) != 0) {
            bool seen = false;
            for (int32_t g = 0; g < groupCount; ++g) seen = seen || groupsOn[static_cast<size_t>(g)] == s.GroupKey;
            if (on && seen)
                on = false;
            else if (on && groupCount < kMaxStateGroups)
                groupsOn[static_cast<size_t>(groupCount++)] = s.GroupKey;
        }
        SetSlotFrame(slot, on ? 1 : 0);
    });
}

void LinkPartChain(int32_t picture, int32_t following) {
    int32_t previous = 0;
    const auto visit = [&](int32_t part) {
        if (previous != 0) ApplyPartStates(previous, u">", picParts()[part].LeftStates);
        const std::u16string prevRight = previous != 0 ? picParts()[previous].RightStates : std::u16string();
        ApplyPartStates(part, u"<", prevRight);
        previous = part;
    };
    forEachPart(picture, visit);
    if (following != 0) forEachPart(following, visit);
    if (previous != 0) ApplyPartStates(previous, u">", u"");
}

void InitPartStates(int32_t picture, int32_t direction) {
    bool firstPantograph = true;
    int32_t head = 0;
    forEachPart(picture, [&](int32_t part) {
        int32_t c = static_cast<uint16_t>(picParts()[part].PantoCode);
        if (c == 0) {
            int32_t count = 0;
            forEachSlot(part, [&](int32_t slot) { count += isPantograph(slot) ? 1 : 0; });
            if (count == 0) return;
            c = count == 1 ? 0x40 : 0x30;
        }
        if ((c & 0xF0) != 0) {
            if (direction < 0) c ^= 0x10;
            if ((c & 0x20) != 0) c = (c & 0x10) != 0 ? 1 : 2;
            if (c == 0x90) c = 4;
        }
        int32_t lastMemory = 0;
        int32_t m = 1;
        forEachSlot(part, [&](int32_t slot) {
            if (m > (1 << (kMaxPantographs - 1)) || !isPantograph(slot)) return;
            if (c == 0x80) {
                if (lastMemory != 0) SetSlotFrame(lastMemory, 0);
                lastMemory = slot;
            }
            int32_t code = c;
            if (code == 0x50) code = firstPantograph ? m : 0;
            if (head != 0) SetSlotFrame(head, 0);
            if (code == 0x40) {
                head = slot;
            } else {
                head = 0;
                SetSlotFrame(slot, (code & m) != 0 ? 1 : 0);
            }
            firstPantograph = false;
            m <<= 1;
        });
        if (lastMemory != 0) SetSlotFrame(lastMemory, 1);
    });
    if (head != 0) SetSlotFrame(head, 1);
}

}  // namespace yov
