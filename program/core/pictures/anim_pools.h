// Pools of picture parts and the freeing of picture slots.
//
// A composed picture (a train, a vehicle with its doors and pantographs) is a chain of
// picture parts, each owning a chain of picture slots. Trains are built and dropped all
// through a show, so both records live in tables with free lists. Every allocation is
// also pushed on a stack: a builder takes a mark (the two stack counts) before it starts
// and, when it fails half-way, releases everything above its own mark.
//
// Slots are allocated by the picture-slot procedures (program/scene/picture_slot.h); they
// are freed here, where they are also taken off the show's animation wheel and off their
// train's list of running animations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace yov {

// Part states.
inline constexpr uint8_t kPartInUse = 0;
inline constexpr uint8_t kPartBorrowedSurface = 4;  // Surface belongs to someone else
inline constexpr uint8_t kPartFree = 128;
// A part's last painted x before it was ever painted.
inline constexpr int32_t kPartNeverPainted = 32767;

// One picture part, in the field order of the record. The picture builders, the train
// composition and the painters give most fields their meaning; the pools only reset and
// free them.
struct PicPart {
    int32_t StockIndex = 0;  // stock entry of the vehicle, 0 for a label part
    int32_t SrcX = 0;        // source x: on the canvas while building, in its image afterwards
    int32_t PartY = 0;       // source y: row of the part's top inside its canvas
    int32_t X = 0;           // x on the line
    int32_t PartHeight = 0;
    int32_t NextPart = 0;  // next part of the owner's chain; on the free list the next free one
    int32_t BaseY = 0;     // base y on the line
    int32_t Width = 0;
    int32_t FirstSlot = 0;  // the part's chain of picture slots, 0 none
    int32_t LastSlot = 0;
    int32_t Surface = 0;  // engine surface, 0 none
    int32_t Buffer = 0;   // engine off-screen buffer, 0 none
    // The part's image and its place in the composed picture.
    int32_t DC = 0;
    int32_t MaskDC = 0;
    int32_t BufDC = 0;
    int32_t BufMaskDC = 0;
    int32_t BufX = 0;
    int32_t BufY = 0;
    int32_t OffsetX = 0;     // x within its train picture
    int32_t SavedWidth = 0;  // frame pitch while a long picture is cut, then the last painted x
    int32_t FrameTime = 0;
    std::u16string Name;
    std::u16string LeftStates;   // ",state,state," at the left end (neighbour names)
    std::u16string RightStates;  // the same at the right end
    std::u16string ExtraText;
    std::u16string Labels;  // the vehicle's labels ("L" items), a comma list
    int32_t Overlap = 0;    // pixels the vehicle overlaps its neighbour ("CB")
    int32_t Surface2 = 0;   // second surface and buffer: the number plate's
    int32_t Buffer2 = 0;
    int32_t PlateDC = 0;
    int32_t PlateMaskDC = 0;
    int32_t PlateX = 0;
    int32_t PlateY = 0;
    int32_t PlateWidth = 0;
    int32_t PlateHeight = 0;
    int32_t RedrawMask = 0;    // back pages still to repaint
    int32_t OwnerPicture = 0;  // the TrainPicture the part belongs to
    int32_t PhaseMask = 0;     // running phases whose picture must be updated
    int32_t LineIndex = 0;
    int16_t PantoCode = 0;
    uint8_t Kind = 0;         // 4 background part, 8 foreground part
    uint8_t PageCount = 0;    // index into the page-mask table
    uint8_t ExtraFrames = 0;  // frames beyond the first
    uint8_t FramesPerRow = 0;
    uint8_t GridColumns = 0;
    uint8_t RunFrames = 0;  // running frames
    uint8_t PixelsPerFrame = 0;
    uint8_t LastPhase = 0;  // last running phase drawn
    uint8_t Flags = 0;      // 1 drawn with a mask, 2 direction, 8 background animation
    uint8_t Attribute = 0;
    uint8_t Train = 0;      // the TrainRec that owns the part, 0 none
    uint8_t AnimCount = 0;  // the part's slots now scheduled on the animation wheel
    uint8_t State = kPartInUse;
};

struct PicPartPool {
    std::vector<PicPart> Parts{PicPart{}};  // 1..Count; element 0 is the builders' scratch part
    int32_t Count = 0;
    int32_t Alloc = 0;
    int32_t FreeHead = 0;
    std::vector<int32_t> PartStack{0};
    int32_t StackCount = 0;
    int32_t StackAlloc = 0;
    int32_t CurPart = 0;  // the part new picture slots are attached to; below 1 none
    PicPart Template;     // every new part starts as a copy

    PicPart& operator[](int32_t i) { return Parts[static_cast<size_t>(i)]; }
    bool valid(int32_t i) const { return i >= 1 && i <= Count && static_cast<size_t>(i) < Parts.size(); }
};

PicPartPool& picParts();

// The head of train t's list of running animations, null when there is no such train. The
// train records sit above the pools, so the show puts its answer in place (WireShow); until
// then no train list is known. A freed slot leaves the animation wheel while the show's scene
// is animated (RunFlags 0x01).
using TrainSlotHead = int32_t* (*)(uint8_t train);
TrainSlotHead& trainSlotHead();

// A slot of the part shows another frame: the picture of every running phase takes it again
// at the part's next painting (phases 0 to the running-frame count).
inline void MarkPartPhasesChanged(PicPart& part) {
    part.PhaseMask = part.RunFrames >= 31 ? -1 : static_cast<int32_t>((uint32_t{2} << part.RunFrames) - 1);
}

int32_t AllocPicPart(uint8_t train);
// The part's NextPart before freeing; 0 for index 0 or a part already free.
int32_t FreePicPart(int32_t part, int32_t callSite = 0);
// The slot's NextSlot before freeing; 0 for index 0 or a slot already free.
int32_t FreePictureSlot(int32_t slot);
void FreePictureSlotChain(int32_t& head);
void ReleaseToMark(int32_t partMark, int32_t slotMark);
// Pushes value on an allocation stack (1..count used), growing it by 20.
void PushOnStack(std::vector<int32_t>& stack, int32_t& count, int32_t& alloc, int32_t value);
// Empties both pools (counts, free lists and stacks), as when the stock tables are reset.
void ClearPicturePools();

}  // namespace yov
