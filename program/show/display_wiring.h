// Joins the display to the show: the run opens and closes the display through here, the
// display takes the drawing method from the show state and resets the scene through the run
// queue and the train records.
#pragma once

namespace yov {

// The display of a show as the run takes it: the start with the show's drawing method, each
// pass's surfaces (the scene picture cleared to the background colour), and the stop.
void OpenShowDisplay();
void CreateShowSurfaces();
void ReleaseShowSurfaces();
void CloseShowDisplay();
// StopDisplay closes the show window; one left by a show that never reached it goes here.
void CloseLeftShowWindow();

void WireDisplay();

}  // namespace yov
