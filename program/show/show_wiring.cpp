#include "program/show/show_wiring.h"

#include <string>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/windows/window_dispatch.h"
#include "program/show/run_show.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"
#include "program/trains/train_records.h"

namespace yov {

void WireShow() {
    laterParts().runShow = [](uint8_t mode, const std::u16string& script) {
        std::u16string file = script;
        RunShow(mode, file, 0, 0);
    };
    animPoolHooks().trainSlotHead = [](uint8_t train) -> int32_t* {
        TrainTable& t = trains();
        return t.valid(train) ? &t.at(train).AnimSlots : nullptr;
    };
    DrawHooks& draw = drawHooks();
    draw.stepInProgress = [] { return showState().StepState != 0; };
    draw.trainsInMotion = [] { return showState().StartedTrains; };
    draw.showBrush = [](int which) { return which == 1 ? showState().FirstShowBrush : showState().SecondShowBrush; };
}

}  // namespace yov
