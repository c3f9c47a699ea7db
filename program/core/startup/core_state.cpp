#include "program/core/startup/core_state.h"

namespace yov {

CoreState& coreState() {
    static CoreState state;
    return state;
}

ServiceState& serviceState() { return coreState().service; }
PlacementState& placementState() { return coreState().placement; }
HelpFiles& helpFiles() { return coreState().help; }
PicPartPool& picParts() { return coreState().pictureParts; }
DescriptionState& descriptionState() { return coreState().descriptions; }
ModalState& modalState() { return coreState().modal; }
MouseTrackingState& mouseTracking() { return coreState().mouse; }

void CoreState::restart() {
    static_cast<ProgramValues&>(programState()) = ProgramValues{};
    RestartEngineRecords();
    service = ServiceState{};
    placement = PlacementState{};
    help = HelpFiles{};
    pictureParts = PicPartPool{};
    descriptions = DescriptionState{};
    modal = ModalState{};
    mouse = MouseTrackingState{};
    fileDialogFolder.clear();
}

}  // namespace yov
