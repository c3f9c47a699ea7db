// Picture slots: every picture the show animates or composes (a door, a pantograph, a
// lamp, a number plate) with its frames, its animation state and its step program, in one
// table with a free list and a stack of allocations that a failed build unwinds.
//
// One record for everyone who touches a slot: the picture builders, the pools that free
// slots, the sprite stepper, the animation wheel and the painters. Where the builders and
// the show runner name the same field differently, the comment gives the other name.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lumvatek/exports.h"

namespace yov {

// Where frame k of a slot is copied from; Surface and Buffer are the frame's own when
// the slot keeps one surface per frame (PictureSlot::Flags bit 1).
struct SlotFrame {
    int32_t Surface = 0;
    int32_t Buffer = 0;
    int32_t DC = 0;
    int32_t MaskDC = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

inline constexpr int kMaxAnimLoops = 6;  // nested loops of a step program
inline constexpr int kSlotPhases = 32;   // running phases of the owning part
inline constexpr int kSlotPages = 3;     // back pages of the display

// Slot flags.
inline constexpr uint8_t kSlotTransparent = 0x01;      // frames drawn through their mask
inline constexpr uint8_t kSlotSurfacePerFrame = 0x02;  // one surface per frame

// Slot states (animation modes while animated).
inline constexpr uint8_t kSlotAtRest = 0;
inline constexpr uint8_t kSlotCycling = 4;
inline constexpr uint8_t kSlotProgram = 6;
inline constexpr uint8_t kSlotFree = 255;

struct PictureSlot {
    // Name and label list: the animation tags ("|DOOR:", "|PAN: ", "<:", ">:", "|name:mode")
    // by which part animations find the slot.
    std::u16string Name;
    int32_t PosX = 0;  // place of the animated part on its vehicle picture
    int32_t PosY = 0;
    int32_t FrameWidth = 0;  // size of one frame
    int32_t FrameHeight = 0;
    int32_t SrcX = 0;  // frame 0 inside the slot's buffer
    int32_t SrcY = 0;
    int32_t StepDelay = 0;  // frame time: wheel ticks of 10 ms between steps
    int32_t DueCount = 0;   // ticks still to wait beyond one turn of the wheel (far list)
    int32_t StepX = 0;      // offset from one frame to the next in the buffer
    int32_t StepY = 0;
    int32_t OwnerPart = 0;  // the PicPart that owns the slot
    int32_t NextSlot = 0;   // next slot of the owner's chain; on the free list the next free one
    int32_t WheelNext = 0;  // next slot in the same wheel place or on the far list
    int32_t TrainNext = 0;  // next slot of the train's list of running animations
    int32_t Surface = 0;    // engine surface with the frames side by side
    int32_t Buffer = 0;     // engine off-screen buffer
    int32_t BufDC = 0;      // what the engine reports for that buffer
    int32_t BufMaskDC = 0;
    int32_t BufX = 0;
    int32_t BufY = 0;
    int32_t BufWidth = 0;
    int32_t BufHeight = 0;
    std::u16string Text;  // the slot's second text
    // Kept by the show runner.
    int32_t Surface2 = 0;  // second surface and buffer of the slot
    int32_t Buffer2 = 0;
    int32_t GroupKey = 0;    // slots of one group (repeated pictures, pantograph halves)
    int32_t OwnerBlock = 0;  // the block of a foreground animation
    int32_t ShowValue1 = 0;
    int32_t ShowValue2 = 0;
    std::vector<SlotFrame> Frames;                    // 0..LastFrame
    std::array<int16_t, kMaxAnimLoops> LoopStart{};   // program index of each open loop's body
    std::array<uint16_t, kMaxAnimLoops> LoopCount{};  // passes left of each open loop, 0 = for ever
    int16_t AnimPC = 0;                               // next byte of the step program ("program start" when started)
    uint8_t Flags = 0;      // kSlotTransparent, kSlotSurfacePerFrame; 4 and 8 repeated-slot marks
    uint8_t InitFrame = 0;  // frame shown when the animation starts
    // Per running phase of the owning part: the frame last drawn into it (255 none).
    std::array<uint8_t, kSlotPhases> LayerTable{};
    std::array<uint8_t, kSlotPages> PageFrame{};  // per back page: the frame last shown
    // The animation mode ("type byte"): 0 at rest or not scheduled, 1 to 6 running
    // (kSlotCycling, kSlotProgram), 255 a free slot.
    uint8_t State = kSlotAtRest;
    uint8_t LastFrame = 0;             // frame count minus 1 ("frame limit", "extra-frame count")
    uint8_t ShowFrame = 0;             // the frame to show ("current frame", 255 none)
    uint8_t AnimFrame = 0;             // the frame the animation stands on ("frame counter")
    uint8_t SavedFrame = 0;            // the frame when a program was started
    std::vector<uint8_t> AnimProgram;  // compiled step programs of the slot's labels
    uint8_t LoopDepth = 0;             // open loops of the step program
    uint8_t AnimTarget = 0;            // the frame a running program moves towards
    uint8_t Linked = 0;                // on its train's list of running animations
    uint8_t RepeatByte = 0;            // repeat counter of a program start
    uint8_t FrameCount = 0;            // frames of a started animation still to run
    uint8_t Attribute = 0;             // rendering attribute read by the background layers
};

// The picture table and what is built with it.
struct PictureSlotTable {
    std::vector<PictureSlot> Slots{PictureSlot{}};  // 1..Count in use, element 0 present
    int32_t Count = 0;
    int32_t Alloc = 0;
    int32_t FreeHead = 0;  // first free slot, 0 none
    // The slots in the order they were handed out; a build marks the count first and
    // releases down to it when it fails.
    std::vector<int32_t> SlotStack{0};
    int32_t StackCount = 0;
    int32_t StackAlloc = 0;
    PictureSlot Template;  // copied into every new slot
    // Animation labels of the slot being built.
    std::vector<std::u16string> AnimLabelName{u""};
    std::vector<std::u16string> AnimLabelMode{u""};
    int32_t LabelCount = 0;
    int32_t LabelAlloc = 0;
    int32_t DefaultLabel = 0;
    int16_t PictureDirection = 0;  // -1 left-facing, +1 right-facing, 0 none

    // The slot at index i, which must be 1..Count.
    PictureSlot& operator[](int32_t i) { return Slots[static_cast<size_t>(i)]; }
    bool valid(int32_t i) const { return i >= 1 && i <= Count && static_cast<size_t>(i) < Slots.size(); }
};

inline PictureSlotTable& pictureSlots() {
    static PictureSlotTable table;
    return table;
}

// The colour that keyed surfaces leave transparent.
inline constexpr uint32_t kSurfaceKeyColour = 0x100010;

// A new slot owned by the current picture part (chained to it when there is one): from the
// free list, else the table grows by 20. Takes a frame step.
int32_t AllocPictureSlot();
// The frame list 0..LastFrame of the slot, in its buffer (or its surface) at the frame steps;
// frames with a surface of their own keep it.
void InitPictureFrames(int32_t slot);
// An engine buffer of width x height for the slot, with the DCs and origin it reports.
void GetPictureSlotBuffer(int32_t slot, int32_t width, int32_t height);
// A new slot of two frames side by side, each width x height, in a buffer of its own.
int32_t AllocPairSlot(int32_t width, int32_t height);
// Moves the slot's frames from its buffer into engine surfaces while the show draws through
// them; every frame must lie inside width x height ("Animation picture is smaller as
// needed" otherwise, and nothing is made). 0 when done, -1 when the frames do not fit.
int32_t CreateAnimSurface(int32_t slot, int32_t width, int32_t height);

}  // namespace yov
