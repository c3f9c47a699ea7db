#include "program/ui/show_input_wiring.h"

#include "program/core/startup/foreign_window_mode.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/window_dispatch.h"
#include "program/show_data/display_state.h"
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

void WireShowInputEntries() {
    LaterParts& later = laterParts();
    later.scrKeyCommand = ScrKeyCommand;
    later.showSetPassword = ShowSetPasswordModal;
    later.showOverlayText = [](const std::u16string& text) {
        showInput().PendingText = text;
        showInput().DisplayRequest = display_request::kText;
    };
    later.beginModalOverShow = BeginModalOverShow;
    later.endModalOverShow = EndModalOverShow;
}

}  // namespace yov
