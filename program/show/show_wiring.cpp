#include "program/show/show_wiring.h"

#include <string>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/windows/window_dispatch.h"
#include "program/scene/script_reader.h"
#include "program/show/run_show.h"
#include "program/show_data/show_font.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"

namespace yov {

const ShowDrawing kShowDrawing{
    .stepInProgress = [] { return showState().StepState != 0; },
    .trainsInMotion = [] { return showState().StartedTrains; },
    .showBrush = [](int which) { return which == 1 ? displayState().BackBrush : displayState().KeyBrush; },
};

int32_t* kTrainSlotHead(uint8_t train) {
    TrainTable& t = trains();
    return t.valid(train) ? &t.at(train).AnimSlots : nullptr;
}

void WireShow() {
    ScriptReader& reader = scriptReader();
    const auto settings = reader.hooks.start;
    reader.hooks.start = [settings] {
        ScriptStart s = settings ? settings() : ScriptStart{};
        // The font is ours and fixed, so the first script read of a run knows its height
        // before any show window has measured it.
        const int32_t measured = displayState().ShowFontHeight;
        s.LabelHeight = measured != 0 ? measured : ShowFontLineHeight();
        return s;
    };
    reader.hooks.parseShowOptions = [] {
        showState().SplashPicture = scriptReader().S.Run.SplashPicture;
        ParseShowOptions();
    };
    // The About window's version line names the script's version.
    laterParts().scriptVersionText = [] { return scriptReader().S.Run.VersionText; };

    laterParts().runShow = [](uint8_t mode, const std::u16string& script) {
        std::u16string file = script;
        RunShow(mode, file, 0, 0);
    };
    trainSlotHead() = kTrainSlotHead;
    showDrawing() = &kShowDrawing;
}

}  // namespace yov
