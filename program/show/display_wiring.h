// Joins the display to the show: the run opens and closes the display through here, the
// display takes the drawing method from the show state and resets the scene through the run
// queue and the train records.
#pragma once

#include <cstdint>

namespace yov {

// The display of a show as the run takes it: the start with the show's drawing method, each
// pass's surfaces (the scene picture cleared to the background colour), and the stop.
void OpenShowDisplay();
void CreateShowSurfaces();
void ReleaseShowSurfaces();
void CloseShowDisplay();
// StopDisplay closes the show window; one left by a show that never reached it goes here.
void CloseLeftShowWindow();

// What the display start takes from the rest of the show.
// The script's "RANDOMIZE" value for the show's random numbers (0: seeded from the clock).
int32_t ShowRandomSeed();
// The frame step's state at a show's start: minimum frame and yield times, the step state,
// the page index and bit, the step phase and mode, the tick counters, the timed events.
void ResetShowFrameState();
// The splash window, when one is showing, goes away.
void UnloadShowSplash();
// The step clock's stamp and the mouse-move count the mouse rule starts from.
void ResetStepClock();
// The scene anew over width x height: timed events, animation wheel, sections and train
// records reset, the lists emptied, RecreateRequest := 0, section 1 queued as the root.
void ResetShowScene(int32_t width, int32_t height);
// Every active train freed with its pictures.
void ReleaseShowTrains();

}  // namespace yov
