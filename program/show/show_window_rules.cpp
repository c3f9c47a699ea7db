#include "program/show/show_window_rules.h"

namespace yov {

ShowInputLink& showInputLink() {
    static ShowInputLink link;
    return link;
}

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
    const ShowInputLink& link = showInputLink();
    if (link.panelOpen && link.panelOpen() && link.panelCommand) link.panelCommand(1);
    if (showMode == 0 && link.requestRecreate) link.requestRecreate();
}

void WindowedPaint(uint8_t flipCount) {
    const ShowInputLink& link = showInputLink();
    if (link.requestRepaint) link.requestRepaint(FullRepaintMask(flipCount));
}

void FullScreenPaint(uint8_t batchMode) {
    const ShowInputLink& link = showInputLink();
    if (batchMode == 0 && link.requestRepaint) link.requestRepaint(1);
}

}  // namespace yov
