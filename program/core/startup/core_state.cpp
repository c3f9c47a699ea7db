#include "program/core/startup/core_state.h"

#include <cstddef>
#include <cstring>

namespace yov {

CoreState& coreState() {
    static CoreState state;
    return state;
}

ProgramState& programState() { return coreState().program; }
ServiceState& serviceState() { return coreState().service; }
PlacementState& placementState() { return coreState().placement; }
HelpFiles& helpFiles() { return coreState().help; }
PicPartPool& picParts() { return coreState().pictureParts; }
DescriptionState& descriptionState() { return coreState().descriptions; }
ModalState& modalState() { return coreState().modal; }
MouseTrackingState& mouseTracking() { return coreState().mouse; }

namespace {

// A fresh shared record in place, but for the engine's clock, which its timer thread writes.
void restartShared(SharedState& shared) {
    static_assert(offsetof(SharedState, LastTickMs) < offsetof(SharedState, Limits),
                  "every field before the clock is a plain value");
    const SharedState fresh;
    std::memcpy(static_cast<void*>(&shared), &fresh, offsetof(SharedState, LastTickMs));
    shared.Limits = fresh.Limits;
}

}  // namespace

void CoreState::restart() {
    static_cast<ProgramValues&>(program) = ProgramValues{};
    restartShared(program.Shared);
    SharedArrays& a = program.Arrays;
    a.Stock.redim(-1);
    a.StockFiles.redim(-1);
    a.Authors.redim(-1);
    a.LibInfos.redim(-1);
    a.Categories.redim(-1);
    a.Languages.redim(-1);
    a.LangTexts.redim(-1);
    a.DescKeys.redim(-1);
    a.DescValues.redim(-1);
    a.DescTexts.redim(-1);
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
