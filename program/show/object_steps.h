// The step program of a running train: the movement mode leaves a phase code in the train's
// State, a few step texts and the motion values of its units; from then on each milestone
// (arrival at a stop, a unit gone from every page, the end of a wait) queues the train for
// one step, which starts, stops, reverses, couples or uncouples units, plays the animations
// at a joint, works off a wait text, and moves the phase on.
//
// Steps take train indices: an action run from a wait text may reach code that grows the
// tables, so no reference into them is held across one.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace yov {

// What a phase does; the members it names are positions 1 to 4 of the train's Members.
enum class PhaseOp : uint8_t {
    End,            // every code the table does not name: the end actions, then state 4
    Go,             // the train moves
    Next,           // nothing but the next phase
    Regenerate,     // back to the train start (its event is queued due)
    Wait,           // work off step text A
    Start,          // member A speeds up to its target speed
    StartByText,    // member A when step text 2 is above 0, else member B
    StartCarrier,   // member 1 when it carries a unit, else member 2
    UncoupleStart,  // member A lets go of what it carries and starts
    CarryStart,     // member A carries member B (not moved) and starts
    Creep,          // member A creeps to its stop point
    StopShort,      // member A stops its coupling distance short of its stop point
    CoupleStop,     // member A stops short, waits a second and creeps to its stop point
    DirFromText,    // member A takes its direction from step text B; wait on step text C
    ReverseWait,    // members in mask A reverse, those in mask B let go; wait on step text C
    PartWays,       // members 1 and 2 part, each the way step texts 2 and 3 say; wait on text A
    CopyDirWait,    // member 3 takes member 1's direction; wait on step text A
    ReverseBySide,  // member 2 (after a swap) or member 1 reverses; wait on step text A
    OppositeWait,   // member 2 takes the opposite of member 1's direction; wait on step text A
    JointCouple,    // members A and B couple, their joint animations start
    JointAnims,     // the joint animations of members A and B start in mode C
    DoorsWait,      // the wait before the doors open (step text 0)
    DoorsOpen,      // the doors open; wait step text 1
    DoorsClose,     // the doors close; wait step text 2
    RunTo,          // the running unit runs to the position in step text A (B: swap by side)
    RunToTouch,     // the running unit runs up to the train, its coupling distance short
    CreepApart,     // member 2 creeps its coupling distance to the right
};

struct PhaseRow {
    uint8_t Code;
    PhaseOp Op;
    int8_t A = 0;
    int8_t B = 0;
    int8_t C = 0;
    std::u16string_view Label = {};
};

// The row of a phase code; End for a code the table does not name.
PhaseRow FindPhase(uint8_t code);
// Every named phase, for checks of the table.
std::span<const PhaseRow> PhaseTable();

// One step of the train's program (the frame step runs one per pass).
void StepObjectAnim(int32_t train);
// Works off the train's wait text: waits for its part animations, for seconds, and runs its
// actions; when the text is used up the phase moves on and the next step is queued.
void CheckWait(int32_t train);
// Ticks of 200 ms the train's running part animations still need, 0 when none runs.
int32_t WaitForParts(int32_t train);
// Members i and j couple (the left one carries when running right), and the animations at
// their joint open.
void CoupleMembers(int32_t train, int32_t i, int32_t j);
// Starts the animations at the facing ends of members i and j; "W,1" is added to the wait
// text when any started.
void AnimateJoint(int32_t train, int32_t i, int32_t j, uint8_t mode, std::u16string_view label);
// Starts the animations of the part's side (">" or "<") selected by the label (empty: all;
// "#name": all but those of the name); the longest running time in wheel places.
int32_t StartSideAnims(int32_t part, std::u16string_view side, uint8_t mode, std::u16string_view label);

}  // namespace yov
