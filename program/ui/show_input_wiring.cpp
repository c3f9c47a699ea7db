#include "program/ui/show_input_wiring.h"

#include "program/core/startup/foreign_window_mode.h"
#include "program/core/startup/program_state.h"
#include "program/show/display_state.h"
#include "program/show/frame_step.h"
#include "program/show/show_input.h"
#include "program/show/show_panel.h"
#include "program/show/show_window_rules.h"
#include "program/ui/password_dialog.h"
#include "program/ui/show_windows.h"

namespace yov {

namespace {

ShowWindowBase* showWindow() { return ShowWindowOf(displayState().ShowForm.get()); }

// A modal window over the full-screen show: the show window steps back while it is up.
void setShowTopmost(bool on) {
    ShowWindowBase* w = showWindow();
    if (w == nullptr || programState().run.ShowMode != 1 || CurrentForeignWindowMode().active) return;
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    w->show();
}

}  // namespace

void BeginModalOverShow() {
    setShowTopmost(false);
    ShowCursorForInput();
}

void EndModalOverShow() {
    setShowTopmost(true);
    StartMouseGrace();
}

void WireShowInput() {
    ShowInputLink& link = showInputLink();
    link.keyCommand = [](int32_t code) { ScrKeyCommand(static_cast<int16_t>(code), 0); };
    link.mouseClick = ScrMouseClick;
    link.mouseMove = ScrMouseMove;
    link.panelOpen = [] { return panelState().PanelOpen != 0; };
    link.panelCommand = [](int32_t index) { ScrPanelCommand(index); };
    link.panelInit = ScrPanelInit;
    link.takeDisplayRequest = [] {
        const uint8_t r = showInput().DisplayRequest;
        showInput().DisplayRequest = display_request::kNone;
        return r;
    };
    link.displayRequestPending = [] { return showInput().DisplayRequest != display_request::kNone; };
    link.rightClickPoint = [](int32_t& x, int32_t& y) {
        x = showInput().RightClickX;
        y = showInput().RightClickY;
    };
    link.pendingText = [] { return showInput().PendingText; };
    link.showPasswordDialog = ShowGetPasswordModeless;
    link.dialogDone = [] { return showInput().DialogDone != 0; };

    frameStepCalls().ddMenus = [] {
        if (auto* full = dynamic_cast<ScrFull*>(showWindow())) {
            full->DDMenus();
        } else {
            // Only the full-screen window shows requests; a windowed show has none to wait for.
            showInput().DisplayRequest = display_request::kNone;
        }
    };
}

}  // namespace yov
