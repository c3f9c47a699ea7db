// The steering variables of a show: one record, one owner for each value, all on the main
// thread for the whole run of the program.
//
// Values the program core already keeps stay where they are and are not copied here:
// RunFlags, StopRequest, BatchMode, ShowMode and ProgressCode in programState().run;
// the screen-saver run in programState().road, the "Priority" and "Music" settings in its
// settings and the milliseconds per counter tick in its machine measures; the progress suppress value in
// progressDisplay().Suppress; the animation wheel in animWheel().
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/raster.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/show_data/display_state.h"

class QWidget;

namespace yov {

// RunFlags bits.
namespace run_flag {
inline constexpr uint8_t kShowRunning = 0x01;
inline constexpr uint8_t kShowStart = 0x1D;  // the whole byte while a show runs
inline constexpr uint8_t kFramesDrawn = 0x20;
}  // namespace run_flag

// StepState bits.
namespace step_state {
inline constexpr uint8_t kRunning = 1;
inline constexpr uint8_t kYielding = 2;
}  // namespace step_state

inline constexpr int32_t kFullStep = 30000;  // CheckStep's call-site code from MainLoop
inline constexpr int32_t kShowColourKey = 0x100010;

// A busy answer of CanBlt or CanFlip: seen, and the counter stamp of the first one.
struct BusyMark {
    uint8_t Seen = 0;
    int32_t Since = 0;
};

// Heads and tails of the show's lists (0 = empty). The three train lists share one link,
// TrainRec::NextQueued; the due list links TimedEvent::DueNext.
struct ShowLists {
    int32_t DueHead = 0;
    int32_t DueTail = 0;
    int32_t StepHead = 0;  // pending-step list: QueueObjectStep, taken by the frame step
    int32_t StepTail = 0;
    int32_t PriorityHead = 0;  // priority wait list: QueueCurrentTrain
    int32_t PriorityTail = 0;
    int32_t StartHead = 0;  // start queue: QueueTrainStart
    int32_t StartTail = 0;
};

struct ShowState {
    // --- Run control.
    uint8_t StepState = 0;
    uint8_t RecreateRequest = 0;
    uint8_t FlipCount = 0;  // back pages: 0 none, 1 double, 2 triple buffering
    // The flip chain's pages are one bitmap (the engine's answer once the chain is made): what
    // one step draws is on every page, so the show keeps one page's books (BookPages).
    uint8_t SharedPages = 0;
    uint8_t UseDirectDraw = 0;
    uint8_t DrawWholeTrains = 0;
    float SpeedFactor = 0.025f;
    int32_t CurTrain = 0;
    int32_t CurSect = 0;
    uint8_t SingleLineRead = 0;
    int32_t SplashMs = 0;          // remaining splash time; 0 = no splash shown
    int32_t SplashStart = 0;       // low 31 bits of the tick count when the splash was shown
    uint8_t SplashFullScreen = 0;  // a full-screen splash stays so for later splash lines
    std::u16string SplashPicture;  // the splash line's picture, kept by the script interpreter
    QWidget* SplashForm = nullptr;
    // Set to 0 by RunShow: read by the section-line picker and by the speed panel.
    uint8_t SectPickFlag = 0;
    uint8_t SpeedPanelFlag = 0;
    uint8_t KeepGdiFrame = 1;  // the GDI frame is kept in every drawing mode

    // --- Frame step and timing.
    int32_t StepClock = 0;
    int32_t MinFrameMs = 20;
    int32_t LastStepStamp = 0;
    float MeanStepMs = 0;
    int32_t StepSamples = 0;
    int32_t StepDebt = 0;
    uint8_t FrameChanged = 0;
    int32_t StepCursor = 0;
    int32_t ActiveCount = 0;
    uint8_t StepPhase = 0;
    uint8_t PageIndex = 0;
    uint8_t PageBit = 1;
    uint8_t RepaintRequest = 0;
    uint8_t PagesToRepaint = 0;
    uint8_t YieldedThisStep = 0;
    int32_t UnyieldedMs = 0;
    uint8_t StepMode = 0;
    int32_t StepCountdown = 0;
    // The current step moves the scene: 0 in a paused step of single-step mode.
    uint8_t StepMoves = 1;
    uint8_t MusicCountdown = 0;
    BusyMark BltBusy;
    BusyMark FlipBusy;
    int32_t RepaintWipeBudget = 30000;            // pixels per step of a repainting wipe
    int32_t ClearWipeBudget = 40000;              // and of a clearing wipe
    int32_t WipeTrain = 0;                        // the record being wiped, 0 = none
    std::array<int32_t, 3> BgRepaintCountdown{};  // per page, steps to the full background repaint
    uint8_t NoFullRepaint = 0;

    // --- Scene ticks.
    float TickMs = 200;
    int32_t TicksPerSecond = 5;
    float TickBacklogMs = 2000;
    float TickAccumulator = 0;
    uint8_t TickDue = 0;
    int32_t YieldAfterMs = 100;
    int32_t StartedTrains = 0;  // trains in motion; a scene reset sets it to 0
    int32_t StartedLength = 0;  // their summed length in pixels
    int32_t StartDelay = 0;     // ticks until the next queued train may start
    int32_t StartSpacing = 10;  // ticks between two queued starts (2 s)
    int32_t StartMode = 0;      // 0 free starts; 1 and 2 starts by credit (show keys)
    int32_t StartCredits = 0;   // starts still allowed under StartMode 1 and 2
    // 1: the show hid the cursor; 2: shown, hidden again when CursorHideCountdown (ticks)
    // runs out; other values: the cursor is not managed.
    uint8_t CursorState = 0;
    int32_t CursorHideCountdown = 0;

    // --- Display: the show window, the scene picture, the display mode and the compositor.
    DisplayState Display;
    // The composition buffer of GDI drawing: the line painters compose each line here before
    // it goes into the scene picture.
    MemDC CompositionDC;
    int32_t ColourKey = kShowColourKey;

    // --- Stop rules: the mouse rule's grace after a modal text window.
    int32_t MouseGraceMs = 0;
    uint8_t MouseMoveCount = 0;
    int32_t MouseGraceStart = 0;  // low 31 bits of the tick count when the grace began

    ShowLists Lists;
};

// The show state of the show records in use (show_records.h); inline, as the frame step reaches it
// at every object it steps.
namespace show_records_detail {
extern ShowState* currentShow;
}
inline ShowState& showState() { return *show_records_detail::currentShow; }

// The last page the show keeps books for (what each page shows, what it still has to redraw):
// the flip count, or 0 while the chain's pages share one bitmap. The flip chain itself stays
// for the pacing.
inline int32_t BookPages(const ShowState& ss) { return ss.SharedPages != 0 ? 0 : ss.FlipCount; }

}  // namespace yov
