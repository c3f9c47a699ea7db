// Preparing and tearing down the display of a show.
//
// StartDisplay runs once per show: the show window, the display settings, DirectDraw for a
// full-screen show that asks for it, the priorities. CreateDisplaySurfaces runs each time the
// frame loop starts or restarts: the display mode, the surfaces or the memory frame, the font,
// the hidden cursor, and the scene reset with its first section queued. ReleaseDisplaySurfaces
// undoes a creation and StopDisplay the start. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "program/show/display_state.h"

namespace yov {

// What the display takes from the rest of the show. The show mode, BatchMode, RunFlags and the
// stop request are ProgramState's; everything else the show state owns comes through here.
struct DisplayShowLink {
    // --- Values the show run sets before StartDisplay.
    uint8_t UseDirectDraw = 0;    // drawing methods 2 to 4
    uint8_t DrawWholeTrains = 0;  // drawing method 1
    uint32_t ColourKey = 0x100010;
    int32_t RandomSeed = 0;  // the script's; 0 = from the clock

    // --- The show window of a mode (0 windowed, 1 full screen), registered as window slot 0.
    std::function<std::unique_ptr<ShowView>(uint8_t mode)> makeView;
    // The frame step's state at a show's start: minimum frame and yield times, the train
    // lists, the step state, the page index and bit, the step phase and mode, the tick counters.
    std::function<void()> resetFrameState;
    // StepPhase := 0 when DirectDraw has started.
    std::function<void()> directDrawStarted;
    // The popup's description-size items.
    std::function<void()> refreshDescMenu;
    // The splash window, when one is showing, goes away.
    std::function<void()> unloadSplash;
    // The step clock's stamp, the per-page repaint words, the mouse-move count and the cursor
    // position the mouse rule starts from.
    std::function<void()> resetStepClock;
    std::function<void()> takeCursorPosition;
    // The composition buffer of GDI drawing, which the painters compose lines in.
    std::function<void(int32_t width, int32_t height)> createCompositionDC;
    std::function<void()> deleteCompositionDC;
    std::function<int32_t()> compositionDc;
    // The scene anew over width x height: timed events, animation wheel, pools, sections and
    // train records reset, the lists emptied, RecreateRequest := 0, section 1 queued as the root.
    std::function<void(int32_t width, int32_t height)> resetScene;
    // Every active train freed with its pictures, every section's running count 0.
    std::function<void()> releaseTrains;
    // DoEvents.
    std::function<void()> processEvents;
};

DisplayShowLink& displayShowLink();

void StartDisplay();
void CreateDisplaySurfaces();
void ReleaseDisplaySurfaces();
void StopDisplay();

// The error-log lines of a refused DirectDraw start and display mode.
std::u16string InitDDrawErrorLine(int32_t result);
std::u16string SetDisplayModeErrorLine(int32_t result);
std::u16string DDLastErrorLine(int32_t error);

}  // namespace yov
