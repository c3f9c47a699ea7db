// The engine's blits: executing BlitOp records on the raster, and the hand-over of batches
// from the program's main thread to the blit thread under the multimedia timer.
//
// Three threads share the hand-over without locks: the main thread publishes a batch
// (count and default DC first, the records address last) and reads the tick stamp; the
// timer's thread stamps each tick and either wakes the blit thread (a batch is pending) or
// counts a missed tick; the blit thread draws the pending batch, has the presenter show it
// and retires it by clearing the address. Each timer start has a run of its own (events,
// stop flag), so a blit thread still ending never touches the one started after it.
#pragma once

#include <cstdint>
#include <vector>

#include "lumvatek/blit.h"
#include "platform/raster.h"

struct SharedState;

namespace lvk {

// Executes the first count records in order on the calling thread. When changed is given,
// the rectangles of the records that drew into defaultDc are appended to it. Returns count
// when records is null (nothing drawn), else 0.
int32_t ExecuteBlits(int32_t count, const BlitOp* records, plat::HDC defaultDc, std::vector<LvRect>* changed);

// Has the program's presenter show rectangles of dc at once, on the calling thread, between
// batches: the DirectDraw layer's flips and its drawing on the primary.
// False when no presenter is set.
bool PresentRects(plat::HDC dc, const LvRect* rects, int32_t count);

// The SharedState whose LastTickMs every tick writes (null: none). InitDLL and CloseDLL.
void SetTickRecord(SharedState* shared);

// Library stop: the timer and blit thread stopped, and a batch still pending forgotten, since
// its device contexts may be gone by the next start.
void StopBlitWorkers();

// For tests: blit threads whose function has not returned yet (also one left running by a
// stop that stopped waiting for it), and whether a timer run is current.
int BlitThreadsAlive();
bool BlitTimerRunning();

}  // namespace lvk
