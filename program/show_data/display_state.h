// The display's part of the show state: the show window and its device context, the scene
// picture and the DirectDraw back surface, the scene size and background colour, the requested
// display mode, the drawing-method bits, the brushes, the show font, the cursor, and the frame
// compositor with its blit lists and dirty rectangles. The show state holds it as its Display
// member; displayState() is that member.
//
// The display start (StartDisplay, CreateDisplaySurfaces, ReleaseDisplaySurfaces,
// StopDisplay) sets these values; the frame step, the painters and the layer builders read
// them. Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "lumvatek/exports.h"
#include "platform/raster.h"
#include "program/show_data/compositor.h"
#include "program/show_data/show_view.h"

namespace yov {

// DrawBits values.
namespace draw_bits {
// Bit 0x04 asks the line painter to compose each train in its whole-train buffer, which
// exists exactly for GDI whole-train drawing: it belongs to that method, not to vehicles.
inline constexpr uint8_t kWholeTrains = 0x09 | 0x04;  // GDI, whole trains
inline constexpr uint8_t kVehicles = 0x06 & ~0x04;    // GDI, single vehicles
inline constexpr uint8_t kGdiCommon = 0x20 | 0x80;
inline constexpr uint8_t kFlipping = 0x80;    // DirectDraw with page flipping
inline constexpr uint8_t kRectangles = 0x40;  // DirectDraw presenting by rectangles
inline constexpr uint8_t kDirectDrawCommon = 0x02 | 0x08 | 0x10;
}  // namespace draw_bits

struct DisplayModeRequest {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t BitsPerPixel = 0;
    int32_t Refresh = 0;
};

struct DisplayState {
    // --- The show window (StartDisplay to StopDisplay).
    std::unique_ptr<ShowView> ShowForm;
    plat::HDC ShowDC;
    LvWindow ShowHwnd = 0;

    // --- The frame (one creation to its release).
    plat::HDC SceneDC;
    plat::HBITMAP SceneBitmap;  // the frame bitmap selected into SceneDC
    plat::HBITMAP SceneBitmapPrevious;
    bool SceneDcOfSurface = false;  // SceneDC is BackSurface's own (DirectDraw): not ours to delete
    LvHandle BackSurface = 0;       // DirectDraw's off-screen frame
    int32_t SceneWidth = 0;
    int32_t SceneHeight = 0;

    // --- Display mode and drawing method.
    DisplayModeRequest ModeRequest;
    uint8_t DrawBits = 0;
    uint32_t BackgroundColour = 0;  // the scene's background colour, 0x00BBGGRR
    uint32_t BackgroundPixel = 0;
    uint32_t KeyPixel = 0;

    // --- Brushes: the area painter's silver, the background (selected into SceneDC while a
    // frame exists), and the key colour's under DirectDraw.
    plat::HBRUSH SilverBrush;
    plat::HBRUSH BackBrush;
    plat::HBRUSH KeyBrush;
    plat::HBRUSH SceneBrushPrevious;  // SceneDC's brush before the background brush

    // --- Font, cursor, creation.
    int32_t ShowFontHeight = 0;  // pixel height of "Mg" in the show font
    uint8_t CursorHidden = 0;
    uint8_t FirstCreation = 0;  // the next CreateDisplaySurfaces is the show's first
    bool FullMaximized = true;  // the full-screen window is maximized (else placed over the screen)

    Compositor Frame;
};

// The display record of the show records in use (show_records.h); inline, as the frame step reaches it
// at every object it steps.
namespace show_records_detail {
extern DisplayState* currentDisplay;
}
inline DisplayState& displayState() { return *show_records_detail::currentDisplay; }

}  // namespace yov
