#include "program/core/pictures/anim_pools.h"

#include <algorithm>
#include <vector>

#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/program_state.h"
#include "program/core/pictures/picture_slot_table.h"
#include "program/core/pictures/anim_wheel_state.h"

namespace yov {
namespace {

constexpr int32_t kPartGrowth = 10;
constexpr int32_t kStackGrowth = 20;

// An engine handle to release: a surface with its call site, or a buffer (site < 0).
struct Release {
    int32_t handle;
    int32_t site;
};

void TakeSurface(std::vector<Release>& out, int32_t& surface, int32_t callSite) {
    if (surface != 0) out.push_back({surface, callSite});
    surface = 0;
}

void TakeBuffer(std::vector<Release>& out, int32_t& buffer) {
    if (buffer != 0) out.push_back({buffer, -1});
    buffer = 0;
}

void ReleaseAll(const std::vector<Release>& releases) {
    for (const Release& r : releases) {
        if (r.site < 0) {
            LvHandle buffer = static_cast<LvHandle>(r.handle);
            FreeDrawBuffer(buffer);
        } else {
            FreeSurface(static_cast<LvHandle>(r.handle), r.site);
        }
    }
}

// Takes the slot out of a chain linked through `link`; a chain that runs longer than the
// table (a damaged link) is given up rather than walked for ever. True when found.
template <class Link>
bool Unlink(int32_t& head, int32_t slot, Link link) {
    PictureSlotTable& t = pictureSlots();
    int32_t prev = 0;
    int32_t cur = head;
    for (int32_t steps = 0; cur != 0 && t.valid(cur) && steps <= t.Count; ++steps) {
        if (cur == slot) {
            const int32_t next = link(t[cur]);
            if (prev == 0) {
                head = next;
            } else {
                link(t[prev]) = next;
            }
            link(t[cur]) = 0;
            return true;
        }
        prev = cur;
        cur = link(t[cur]);
    }
    return false;
}

bool UnlinkFromWheel(int32_t slot) {
    AnimWheelState& w = animWheel();
    auto wheelLink = [](PictureSlot& s) -> int32_t& { return s.WheelNext; };
    for (int place = 0; place < kWheelPlaces; ++place) {
        if (Unlink(w.AnimWheel[static_cast<size_t>(place)], slot, wheelLink)) return true;
    }
    return Unlink(w.AnimOverflow, slot, wheelLink);
}

}  // namespace

void PushOnStack(std::vector<int32_t>& stack, int32_t& count, int32_t& alloc, int32_t value) {
    ++count;
    if (count > alloc) {
        alloc = std::max(alloc, count - 1) + kStackGrowth;
        stack.resize(static_cast<size_t>(alloc) + 1);
    }
    stack[static_cast<size_t>(count)] = value;
}

TrainSlotHead& trainSlotHead() {
    static TrainSlotHead head = nullptr;
    return head;
}

int32_t AllocPicPart(uint8_t train) {
    PicPartPool& pool = picParts();
    int32_t index;
    if (pool.FreeHead != 0 && pool.valid(pool.FreeHead)) {
        index = pool.FreeHead;
        pool.FreeHead = pool[index].NextPart;
    } else {
        index = ++pool.Count;
        if (pool.Count > pool.Alloc) {
            pool.Alloc = std::max(pool.Alloc, pool.Count - 1) + kPartGrowth;
            pool.Parts.resize(static_cast<size_t>(pool.Alloc) + 1);
        }
    }
    PicPart& part = pool[index];
    part = pool.Template;
    part.Train = train;
    part.SavedWidth = kPartNeverPainted;
    part.State = kPartInUse;
    PushOnStack(pool.PartStack, pool.StackCount, pool.StackAlloc, index);
    return index;
}

int32_t FreePicPart(int32_t index, int32_t /*callSite*/) {
    PicPartPool& pool = picParts();
    if (!pool.valid(index) || pool[index].State == kPartFree) return 0;
    std::vector<Release> releases;
    const int32_t result = pool[index].NextPart;
    {
        PicPart& part = pool[index];
        // A borrowed surface is someone else's to delete.
        if ((part.State & kPartBorrowedSurface) != 0) part.Surface = 0;
        TakeSurface(releases, part.Surface, 19020);
        TakeSurface(releases, part.Surface2, 19021);
        TakeBuffer(releases, part.Buffer2);
        TakeBuffer(releases, part.Buffer);
    }
    // The scheduled count goes down with each slot that is taken off the wheel, not here
    // as well.
    int32_t head = pool[index].FirstSlot;
    FreePictureSlotChain(head);
    {
        PicPart& part = pool[index];
        part.FirstSlot = 0;
        part.LastSlot = 0;
        part.AnimCount = 0;
        part.NextPart = pool.FreeHead;
        pool.FreeHead = index;
        part.State = kPartFree;
    }
    ReleaseAll(releases);
    return result;
}

int32_t FreePictureSlot(int32_t slot) {
    PictureSlotTable& t = pictureSlots();
    if (!t.valid(slot) || t[slot].State == kSlotFree) return 0;
    PicPartPool& parts = picParts();
    const int32_t owner = t[slot].OwnerPart;
    const bool ownerKnown = parts.valid(owner) && parts[owner].State != kPartFree;

    if (t[slot].State != kSlotAtRest && (programState().run.RunFlags & 0x01) != 0) {
        if (UnlinkFromWheel(slot)) {
            AnimWheelState& w = animWheel();
            w.AnimScheduled = std::max(w.AnimScheduled - 1, 0);
            if (ownerKnown && parts[owner].AnimCount > 0) --parts[owner].AnimCount;
        }
    }
    if (ownerKnown && parts[owner].Train != 0 && trainSlotHead() != nullptr) {
        if (int32_t* head = trainSlotHead()(parts[owner].Train)) {
            Unlink(*head, slot, [](PictureSlot& s) -> int32_t& { return s.TrainNext; });
        }
    }

    // The handles are taken out and the slot is on the free list before anything is
    // released, so a release that reaches further never sees the slot half-freed.
    std::vector<Release> releases;
    int32_t result;
    {
        PictureSlot& s = t[slot];
        if ((s.Flags & kSlotSurfacePerFrame) != 0) {
            const size_t frames = std::min<size_t>(static_cast<size_t>(s.LastFrame) + 1, s.Frames.size());
            for (size_t k = 0; k < frames; ++k) {
                if (s.Frames[k].Surface == s.Surface) s.Surface = 0;
                if (s.Frames[k].Buffer == s.Buffer) s.Buffer = 0;
                TakeSurface(releases, s.Frames[k].Surface, 19017);
                TakeBuffer(releases, s.Frames[k].Buffer);
            }
        }
        // The slot's own surface and buffer (with frames of their own, the buffer they were
        // cut from).
        TakeSurface(releases, s.Surface, 19018);
        TakeBuffer(releases, s.Buffer);
        s.AnimProgram.clear();
        s.AnimProgram.shrink_to_fit();
        s.Frames.clear();
        s.Frames.shrink_to_fit();
        TakeSurface(releases, s.Surface2, 19019);
        TakeBuffer(releases, s.Buffer2);

        result = s.NextSlot;
        s.WheelNext = 0;
        s.TrainNext = 0;
        s.Linked = 0;
        s.NextSlot = t.FreeHead;
        t.FreeHead = slot;
        s.State = kSlotFree;
    }
    ReleaseAll(releases);
    return result;
}

void FreePictureSlotChain(int32_t& head) {
    // A chain is never longer than the table; a damaged one ends there.
    for (int32_t steps = 0; head != 0 && steps <= pictureSlots().Count; ++steps) head = FreePictureSlot(head);
    head = 0;
}

void ReleaseToMark(int32_t partMark, int32_t slotMark) {
    PicPartPool& parts = picParts();
    partMark = std::max(partMark, 0);
    slotMark = std::max(slotMark, 0);
    // Parts first: their slot chains go with them, and the slot stack then finds those
    // slots free already.
    while (parts.StackCount > partMark) {
        const int32_t part = parts.PartStack[static_cast<size_t>(parts.StackCount)];
        --parts.StackCount;
        FreePicPart(part);
    }
    PictureSlotTable& slotTable = pictureSlots();
    while (slotTable.StackCount > slotMark) {
        const int32_t slot = slotTable.SlotStack[static_cast<size_t>(slotTable.StackCount)];
        --slotTable.StackCount;
        FreePictureSlot(slot);
    }
}

void ClearPicturePools() {
    PicPartPool& parts = picParts();
    parts.Count = 0;
    parts.FreeHead = 0;
    parts.StackCount = 0;
    PictureSlotTable& slotTable = pictureSlots();
    slotTable.Count = 0;
    slotTable.FreeHead = 0;
    slotTable.StackCount = 0;
}

}  // namespace yov
