#include "program/show/show_window_rules.h"

#include "program/show/show_panel.h"
#include "program/show_data/show_state.h"

namespace yov {

uint8_t FullRepaintMask(uint8_t flipCount) {
    // The chain has at most three pages; a mask byte holds eight.
    const int n = flipCount < 7 ? flipCount : 7;
    return static_cast<uint8_t>((1u << (n + 1)) - 1u);
}

CloseAnswer WindowedCloseRequest(uint8_t& stopRequest) {
    if (stopRequest == 0) {
        stopRequest = 1;
        return CloseAnswer::Cancel;
    }
    return CloseAnswer::Close;
}

CloseAnswer FullScreenCloseRequest(UnloadMode mode, uint8_t& stopRequest) {
    switch (mode) {
    case UnloadMode::Program: return CloseAnswer::Close;
    case UnloadMode::User: return CloseAnswer::Cancel;
    default: stopRequest = 1; return CloseAnswer::Cancel;
    }
}

void WindowedResize(bool minimised, uint8_t showMode) {
    if (minimised) return;
    if (panelState().PanelOpen != 0) ScrPanelCommand(1);
    if (showMode == 0) showState().RecreateRequest = 1;
}

void WindowedPaint(uint8_t flipCount) { showState().RepaintRequest = FullRepaintMask(flipCount); }

void FullScreenPaint(uint8_t batchMode) {
    if (batchMode == 0) showState().RepaintRequest = 1;
}

}  // namespace yov
