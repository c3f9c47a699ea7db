#include "program/core/texts/error_report.h"

#include <string>

#include "platform/text.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/script_place.h"
#include "program/core/windows/msgbox.h"
#include "program/core/texts/number_text.h"
#include "program/core/startup/program_state.h"

namespace yov {

namespace {

constexpr int32_t kCancelBit = 0x80;
constexpr int32_t kShowRunning = 0x08;
constexpr int32_t kRaiseInShow = 0x3140000;  // message only, logged, no box, raised as 6016

}  // namespace

int32_t ReportError(int32_t position, std::u16string_view message, int32_t flags, std::u16string_view title) {
    return ReportError(currentPendingError(), position, message, flags, title);
}

int32_t ReportError(const PendingError& pending, int32_t position, std::u16string_view message, int32_t flags,
                    std::u16string_view title) {
    namespace rf = report_flag;
    ProgramState& st = programState();

    int32_t n = 0;
    std::u16string boxText;
    std::u16string logText;
    if ((flags & rf::kMessageOnly) == 0) {
        n = pending.number;
        std::u16string desc = pending.description;
        if (!isProgramErrorNumber(n)) desc += u" (error " + decimal(n) + u")";
        boxText = desc;
        logText = desc;
        if (!message.empty()) {
            boxText += u"\r\n";
            boxText += message;
            logText += u" ";
            logText += message;
        }
    } else {
        boxText = message;
        logText = message;
    }

    if (position != 0 || st.run.ProgressCode != 0) {
        logText += u" (";
        if (st.run.ProgressCode != 0) {
            logText += u"P=" + decimal(st.run.ProgressCode);
            if (position != 0) logText += u" ";
        }
        if (position != 0) logText += u"EH=" + decimal(position);
        logText += u")";
    }

    const bool reported = n == error_number::kReported;
    const int32_t style = flags & rf::kStyleMask;
    // Under DirectDraw, and in a full-screen or screen-saver show, nobody sees a box behind
    // the show: the message goes to the log instead and counts as cancelled.
    const bool showHidesBoxes =
        (st.run.RunFlags != 0 && (st.run.ShowMode == 1 || programState().road.ScreenSaverMode != 0));
    const bool noBox = st.run.BatchMode != 0 || showHidesBoxes;
    const bool logged = (!reported && (flags & rf::kLogUnlessReported) != 0) || (flags & rf::kAlwaysLog) != 0;
    if (logged || (!reported && style != 0 && noBox)) WriteErrorLog(logText);

    int32_t answer = 0;
    if (!reported && style != 0) {
        answer = noBox ? kCancelBit : ShowMsgBox(boxText, style, title);
        if ((answer & kCancelBit) != 0) {
            if ((flags & rf::kStopOnCancel) != 0) st.run.StopRequest = 1;
            if ((flags & rf::kRaiseOnCancel) != 0) throw ProgramError(error_number::kReported, boxText);
        }
    }
    if ((flags & rf::kStopAfter) != 0) st.run.StopRequest = 1;
    if ((flags & rf::kRaiseAfter) == 0) return answer;
    throw ProgramError(error_number::kReported, boxText);
}

void RaiseProgramError(std::u16string_view message) {
    if ((programState().run.RunFlags & kShowRunning) != 0) {
        // Logged here, before the handler that knows the script line sees it: the message
        // names the line itself.
        std::u16string text(message);
        const ScriptPlace& place = scriptPlace();
        if (place.known()) text += u" " + FormatText(u"IFI", {FormatArg(place.File), FormatArg(place.Line)});
        ReportError(PendingError{}, 0, text, kRaiseInShow, u"");
    }
    throw ProgramError(error_number::kMessage, std::u16string(message));
}

int32_t ShowHandledError() noexcept {
    int32_t n = 0;
    try {
        const PendingError e = currentPendingError();
        n = e.number;
        if (n == error_number::kReported || n == error_number::kNotMine) return n;
        ShowMsgBox(u"Error (" + decimal(n) + u") " + e.description, msgbox::kOk, u"");
    } catch (...) {
        // A message that cannot be shown is dropped: nothing may travel on.
    }
    return n;
}

}  // namespace yov
