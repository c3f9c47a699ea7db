// The procedures of other subsystems that the show calls and that are being built elsewhere:
// the scene script reader, train pictures and layers, the display, the frame step and the
// settings dialog. Each entry is filled by its owner when it is built; until then an
// empty entry is skipped, naming itself once on standard error, and answers as "nothing
// there" (a script that could not be read, nothing painted).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace yov {

struct LineSection;
struct TrainRec;

struct ShowSeams {
    // --- Scene script: reads the script and the stock; true when both were read.
    std::function<bool(const std::u16string& script, uint8_t headerOnly)> readScript;

    // --- Train generation.
    // Paints a line's area at set-up with the section's point and layer texts.
    std::function<void(int32_t train, const LineSection& sect)> paintObject;
    // Marks layers of the train to repaint (area painting).
    std::function<void(int32_t train, int32_t flags)> setLayerFlags;

    // --- Sections of the show: a stand-in for RunSect where tests drive the main loop;
    // empty, the main loop runs the show's own.
    std::function<void(int32_t sect)> runSect;

    // --- Display and frame step.
    std::function<void()> startDisplay;
    std::function<void()> createDisplaySurfaces;
    std::function<void()> releaseDisplaySurfaces;
    std::function<void()> stopDisplay;
    std::function<void()> unloadShowForm;

    // --- Settings dialog: brings its tab in line with whether a show runs.
    std::function<void()> settingsSetTab;
};

ShowSeams& showSeams();

// Says once per name on standard error that a procedure the show calls is not built yet.
void NoteMissingSeam(std::u16string_view name);

}  // namespace yov
