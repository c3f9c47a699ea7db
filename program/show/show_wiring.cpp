#include "program/show/show_wiring.h"

#include <string>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/upper_calls.h"
#include "program/show/frame_step.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"
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

// What the script reader asks of the show.
class ShowScriptCalls final : public ScriptShowCalls {
public:
    int32_t labelHeight() override {
        // The font is ours and fixed, so the first script read of a run knows its height
        // before any show window has measured it.
        const int32_t measured = displayState().ShowFontHeight;
        return measured != 0 ? measured : ShowFontLineHeight();
    }
    void parseShowOptions() override {
        showState().SplashPicture = scriptReader().S.Run.SplashPicture;
        ParseShowOptions();
    }
};

void WireShow() {
    upperCalls().frameStep = CheckStep;
    upperCalls().trainStepText = StartedTrainStepText;
    static ShowScriptCalls scriptCalls;
    Installed<ScriptShowCalls>() = &scriptCalls;
    trainSlotHead() = kTrainSlotHead;
    showDrawing() = &kShowDrawing;
}

}  // namespace yov
