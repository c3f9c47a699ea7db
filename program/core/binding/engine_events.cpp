#include "program/core/binding/engine_events.h"

#include <QCoreApplication>

#include <string>

#include "platform/codepage.h"
#include "platform/text.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/error_report.h"
#include "program/core/windows/form_members.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/msgbox.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/windows/utilities.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_system.h"

namespace yov {

namespace {

// The error being handled, kept out of the engine: a stop already reported stops the show.
void contain() noexcept {
    if (ShowHandledError() == error_number::kReported) programState().run.StopRequest = 1;
}

void windowCommand(DllEventRec& r) {
    const WindowSlot& slot = programState().WindowTable[static_cast<size_t>(r.Code)];
    if (slot.inUse == 0 || slot.window == nullptr) {
        ShowMsgBox(u"Error: command for a not loaded window (" + decimal(r.Code) + u")", msgbox::kOk, kProgramTitle);
        return;
    }
    CallFCmd(slot.window, r.SubCode, r.Arg1, r.Arg2, r.Arg3, r.Arg4);
}

void dispatch(DllEventRec& r) {
    namespace ev = engine_event;
    if (r.Code >= ev::kFirstSlot && r.Code <= ev::kLastSlot) {
        windowCommand(r);
        return;
    }
    switch (r.Code) {
    case ev::kShowCommand: showParts().keyCommand(r.SubCode, r.Arg1); break;
    case ev::kCloseShow: programState().run.StopRequest = 1; break;
    case ev::kMenuCaption:
        lv::SetMenuTxt(plat::utf16ToUtf8(LookupText(LvTextString(r.Text1), LvTextString(r.Text2), 0)).c_str());
        break;
    case ev::kWait: frameStep(0); break;
    case ev::kPumpMessages: QCoreApplication::processEvents(); break;
    case ev::kMessage:  // the engine's message for the user goes to the log
    case ev::kLogLine: WriteErrorLog(LvTextString(r.Text1)); break;
    case ev::kMessageBox: ShowMsgBox(LvTextString(r.Text1), msgbox::kOk, LvTextString(r.Text2), 0); break;
    default: break;
    }
}

}  // namespace

LvResult InitEngineOnProgramArrays(LvEventProc onEvent, LvRandomProc random) {
    ProgramState& st = programState();
    SharedArrays& a = st.Arrays;
    return lv::InitDLL(0, onEvent, random, &st.Shared, a.Stock.desc(), a.StockFiles.desc(), a.Authors.desc(),
                       a.LibInfos.desc(), a.Categories.desc(), a.Languages.desc(), a.LangTexts.desc(),
                       a.DescKeys.desc(), a.DescValues.desc(), a.DescTexts.desc());
}

void InitEngine() {
    if (windowSystem().installWindowOps != nullptr) windowSystem().installWindowOps();
    InitEngineOnProgramArrays(OnEngineEvent, GetRandomIndex);
    serviceState().EngineStarted = true;
}

int32_t OnEngineEvent(DllEventRec* record) noexcept {
    // First, before anything is touched: the allocation reports come from any engine thread.
    if (record == nullptr || record->Code == engine_event::kAlloc || record->Code == engine_event::kFree) return 0;
    try {
        dispatch(*record);
    } catch (...) {
        contain();
    }
    return 0;
}

}  // namespace yov
