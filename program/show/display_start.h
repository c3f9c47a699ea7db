// Preparing and tearing down the display of a show.
//
// StartDisplay runs once per show: the show window, the display settings, DirectDraw for a
// full-screen show that asks for it, the priorities. CreateDisplaySurfaces runs each time the
// frame loop starts or restarts: the display mode, the surfaces or the memory frame, the font,
// the hidden cursor, and the scene reset with its first section queued. ReleaseDisplaySurfaces
// undoes a creation and StopDisplay the start. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "program/show_data/display_state.h"

namespace yov {

void StartDisplay();
void CreateDisplaySurfaces();
void ReleaseDisplaySurfaces();
void StopDisplay();

// The error-log lines of a refused DirectDraw start and display mode.
std::u16string InitDDrawErrorLine(int32_t result);
std::u16string SetDisplayModeErrorLine(int32_t result);
std::u16string DDLastErrorLine(int32_t error);

}  // namespace yov
