#include "program/show/show_run_steps.h"

#include "program/scene/script_reader.h"
#include "program/show/display_wiring.h"
#include "program/show/sections.h"
#include "program/show_data/show_state.h"

namespace yov {

bool ShowRunSteps::readScript(const std::u16string& script, uint8_t headerOnly) {
    const bool ok = ReadScript(script, headerOnly);
    if (ok && headerOnly == 0) showState().SpeedFactor = scriptReader().S.Run.SpeedFactor;
    return ok;
}

void ShowRunSteps::startDisplay() { OpenShowDisplay(); }
void ShowRunSteps::createDisplaySurfaces() { CreateShowSurfaces(); }
void ShowRunSteps::releaseDisplaySurfaces() { ReleaseShowSurfaces(); }
void ShowRunSteps::stopDisplay() { CloseShowDisplay(); }
void ShowRunSteps::runSect(int32_t sect) { RunSect(sect); }

ShowRunSteps& showRunSteps() { return *Installed<ShowRunSteps>(); }

}  // namespace yov
