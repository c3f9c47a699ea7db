#include "program/show/show_input.h"

#include <algorithm>
#include <cstdlib>

#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/foreign_window_mode.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/settings/window_placement.h"
#include "program/scene/script_reader.h"
#include "program/show/desc_menus.h"
#include "program/show_data/display_state.h"
#include "program/core/startup/program_clock.h"
#include "program/show/show_panel.h"
#include "program/show_data/show_state.h"
#include "program/show_data/show_view.h"
#include "program/show/show_window_calls.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

// Key codes and menu ids of the show.
constexpr int32_t kKeyEnter = 13;
constexpr int32_t kKeyEsc = 27;
constexpr int32_t kKeySpace = 32;
constexpr int32_t kKeyZero = 48;
constexpr int32_t kKeyW = 87;
constexpr int32_t kKeyM = 77;
constexpr int32_t kKeyV = 86;
constexpr int32_t kKeyS = 83;
constexpr int32_t kKeyF5 = 116;
constexpr int32_t kKeyF6 = 117;
constexpr int32_t kKeyF7 = 118;
constexpr int32_t kKeyF8 = 119;
constexpr int32_t kKeyF10 = 121;
constexpr int32_t kFirstMenuId = 4096;
constexpr int32_t kSplitAbove = 4609;  // submenu items: the submenu's id plus the position
constexpr int32_t kMenuExit = 4116;
constexpr int32_t kMenuWait = 4183;
constexpr int32_t kMenuClearLabel = 4196;
constexpr int32_t kMenuClearData = 4197;
constexpr int32_t kMenuSetData = 4198;
constexpr int32_t kMenuSpeed = 4214;
constexpr int32_t kMenuFreeStart = 4505;
constexpr int32_t kMenuLineStart = 4506;
constexpr int32_t kMenuAllStart = 4507;
constexpr int32_t kMenuStartOne = 4508;
constexpr int32_t kMenuStartTwo = 4509;
constexpr int32_t kMenuStartNine = 4516;
constexpr int32_t kMenuStepOne = 4517;
constexpr int32_t kMenuStepNine = 4525;
constexpr int32_t kMenuLabelKeys = 7168;
constexpr int32_t kMenuDataKeys = 7424;
constexpr int32_t kMoveStopDistance = 11;
constexpr int32_t kReferenceMoves = 4;
constexpr int32_t kGraceSteps = 5;
constexpr int32_t kGraceMoves = 2;
constexpr int32_t kCursorSeconds = 5;

size_t modeIndex() { return programState().run.ShowMode == 0 ? 0 : 1; }
const RunSettings& script() { return scriptReader().S.Run; }
bool foreignWindow() { return CurrentForeignWindowMode().active; }

void addCredits(int32_t n) {
    ShowState& ss = showState();
    ss.StartCredits += n;
    if (ss.StartMode == 0) ss.StartMode = 1;
}

void addSteps(int32_t n) {
    ShowState& ss = showState();
    ss.StepCountdown += n;
    ss.StepMode = 1;
}

void openPopup(int32_t x, int32_t y) {
    // The screen-saver daemon's window takes no menus.
    if (foreignWindow()) return;
    lv::ShowPopup(0, kShowPopupMenu, x, y, displayState().ShowHwnd, 0);
}

void openPanel() {
    if (foreignWindow()) return;
    ShowCursorForInput();
    if (programState().run.BatchMode != 0)
        showInput().DisplayRequest = display_request::kPanel;
    else
        ScrPanelInit();
}

void togglePause() {
    ShowState& ss = showState();
    ss.StepMode = static_cast<uint8_t>(1 - ss.StepMode);
    lv::CheckMenu(kMenuWait, ss.StepMode != 0 ? 1 : 0);
    ss.StepCountdown = 0;
}

bool inGrace() {
    ShowState& ss = showState();
    if (ss.MouseGraceMs <= 0) return false;
    if (elapsed31(low31(programClock().tickCount()), ss.MouseGraceStart) < ss.MouseGraceMs) return true;
    ss.MouseGraceMs = 0;
    return false;
}

}  // namespace

ShowInputState& showInput() {
    static ShowInputState state;
    return state;
}

void ShowCursorForInput() {
    ShowState& ss = showState();
    if (ss.CursorState != 1) return;
    ss.CursorState = 2;
    if (displayState().ShowForm) displayState().ShowForm->showCursor();
}

void SetLastMousePosition(int32_t x, int32_t y) {
    showInput().LastX = static_cast<int16_t>(x);
    showInput().LastY = static_cast<int16_t>(y);
}

void StartMouseGrace() {
    ShowState& ss = showState();
    ss.MouseGraceMs = kGraceSteps * std::max(ss.StepClock, 1);
    ss.MouseGraceStart = low31(programClock().tickCount());
    ss.MouseMoveCount = kGraceMoves;
}

void ScrKeyCommand(int16_t code, int32_t) {
    ShowState& ss = showState();
    int32_t c = code;
    int32_t item = 0;
    if (c > kSplitAbove) {
        item = (c & 0xFF) + 1;
        c &= ~0xFF;
    }
    switch (c) {
    case kKeyM: {
        ShowCursorForInput();
        const QSize screen = screenSizePx();
        openPopup(screen.width() / 2, screen.height() / 2);
        return;
    }
    case kKeyV:
    case kMenuSpeed: openPanel(); return;
    case kKeySpace:
    case kKeyW:
    case kKeyZero:
    case kMenuWait: togglePause(); return;
    case kMenuLabelKeys: ToggleLabelKey(item); return;
    case kMenuDataKeys: ToggleDataKey(item); return;
    case kMenuClearLabel: ClearLabelKeys(); return;
    case kMenuClearData: SetAllDataKeys(false); return;
    case kMenuSetData: SetAllDataKeys(true); return;
    case kMenuExit:
    case kKeyEnter:
    case kKeyEsc: QueryStopShow(); return;
    case kKeyF5:
    case kMenuFreeStart: ss.StartMode = 0; return;
    case kKeyF6:
    case kMenuLineStart:
        ss.StartMode = 1;
        ss.StartCredits = 0;
        return;
    case kKeyF7:
    case kMenuAllStart:
        ss.StartMode = 2;
        ss.StartCredits = 0;
        return;
    case kKeyF8:
    case kMenuStartOne: ss.StartCredits += 1; return;
    case kKeyF10:
    case kKeyS: ss.StepCountdown += 1; return;
    default: break;
    }
    if (c >= kMenuStartTwo && c <= kMenuStartNine) {
        addCredits(c - kMenuAllStart);
    } else if (c >= 256 + '1' && c <= 256 + '9') {  // Shift+1 to Shift+9
        addCredits(c & 15);
    } else if (c >= kMenuStepOne && c <= kMenuStepNine) {
        addSteps(c - (kMenuStepOne - 1));
    } else if (c >= '1' && c <= '9') {
        addSteps(c & 15);
    } else if (c < kFirstMenuId) {
        // Any other key, Shift, Ctrl and Alt alone included.
        if (programState().settings.Show.NStpKey[modeIndex()] == 0 && script().NoStopOnKey == 0) QueryStopShow();
    }
    // Other menu ids (the engine's menu notifications among them) are not the show's.
}

void ScrMouseClick(int32_t button, int32_t, int32_t x, int32_t y) {
    if (programState().settings.Show.NStpClk[modeIndex()] == 0 && script().NoStopOnClick == 0) {
        QueryStopShow();
        return;
    }
    if ((button & 1) != 0) {
        if (ShowWindowCalls* windows = showWindowCalls()) windows->describePicture(FindObjectAt(x, y));
    }
    if ((button & 2) != 0) {
        ShowInputState& in = showInput();
        in.RightClickX = static_cast<int16_t>(x);
        in.RightClickY = static_cast<int16_t>(y);
        ShowCursorForInput();
        if (programState().run.BatchMode != 0) {
            if (!foreignWindow()) in.DisplayRequest = display_request::kPopup;
            return;
        }
        openPopup(x, y);
    }
}

void ScrMouseMove(int32_t, int32_t, int32_t x, int32_t y) {
    ShowInputState& in = showInput();
    ShowState& ss = showState();
    const auto px = static_cast<int16_t>(x);
    const auto py = static_cast<int16_t>(y);
    if (px == in.LastX && py == in.LastY) return;
    in.LastX = px;
    in.LastY = py;
    if (ss.CursorState == 1) {
        // Only shows the cursor again: this move does not count.
        ShowCursorForInput();
        return;
    }
    if (ss.CursorState == 2) ss.CursorHideCountdown = kCursorSeconds * ss.TicksPerSecond;
    if (programState().settings.Show.NStpMov[modeIndex()] != 0 || script().NoStopOnMove != 0) return;
    if (inGrace()) return;
    if (ss.MouseMoveCount < kReferenceMoves) {
        in.RefX = px;
        in.RefY = py;
        ++ss.MouseMoveCount;
        return;
    }
    if (std::abs(in.RefX - px) + std::abs(in.RefY - py) >= kMoveStopDistance) QueryStopShow();
}

void QueryStopShow() {
    ShowInputState& in = showInput();
    ProgramState& st = programState();
    in.ShowPassword.clear();
    // In a window of the screen-saver daemon (or of its settings' preview) the daemon ends the
    // show; a key, click or move that reaches the window stops nothing.
    if (foreignWindow()) return;
    if (programState().road.ScreenSaverMode != 0 && GetRegNumber(u"ScreenSaveUsePassword", 0) != 0)
        in.ShowPassword = GetRegString(u"Pw", u"");
    if (in.ShowPassword.empty()) {
        st.run.StopRequest = 1;
        return;
    }
    if (st.run.BatchMode != 0) {
        in.DisplayRequest = display_request::kPassword;
        return;
    }
    if (ShowWindowCalls* windows = showWindowCalls()) windows->askPassword();
}

int32_t FindObjectAt(int32_t x, int32_t y) {
    TrainTable& t = trains();
    TrainPictureTable& pictures = trainPictures();
    PicPartPool& parts = picParts();
    int32_t guard = t.Count + 1;
    for (int32_t r = t.ActiveHead; r != 0 && t.valid(r) && guard > 0; r = t.at(r).NextActive, --guard) {
        const TrainRec& train = t.at(r);
        if (train.State <= 9) continue;
        const int32_t bottom = train.OriginY;
        if (!(bottom - train.AreaHeight < y && y <= bottom)) continue;
        const int32_t members = std::min<int32_t>(train.MemberCount, kMaxTrainMembers);
        for (int32_t m = 1; m <= members; ++m) {
            const int32_t picture = train.Members[static_cast<size_t>(m)];
            if (!pictures.valid(picture)) continue;
            const int64_t trainX = int64_t{train.OriginX} + pictures[picture].X;
            int32_t partGuard = parts.Count + 1;
            for (int32_t part = pictures[picture].FirstPart; parts.valid(part) && partGuard > 0;
                 part = parts[part].NextPart, --partGuard) {
                const int64_t dx = x - trainX - parts[part].OffsetX;
                if (dx >= 0 && dx < parts[part].Width) return parts[part].StockIndex;
            }
        }
    }
    return 0;
}

}  // namespace yov
