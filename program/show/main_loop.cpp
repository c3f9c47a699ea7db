#include "program/show/main_loop.h"

#include "program/core/pictures/canvas.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/show/frame_step.h"
#include "program/core/startup/program_clock.h"
#include "program/trains/show_queues.h"
#include "program/show/sections.h"
#include "program/show/show_run_steps.h"
#include "program/show_data/show_state.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"
#include "program/trains/train_start.h"

namespace yov {

namespace {

constexpr int32_t kMainLoopSite = 31017;
constexpr int32_t kMainLoopReport = 0x0F0900C0;
// The restart delay of a line that failed to start (three seconds of ticks), and the slices
// of the wait.
constexpr int32_t kRestartDelayMs = 3000;
constexpr int32_t kRestartSliceMs = 20;

bool stopped() { return programState().run.StopRequest != 0; }

// One due entry: a train line goes to the train start, anything else to the section runner.
void dispatch(int32_t e) {
    const TimedEvent ev = runQueue().at(e);
    ShowState& ss = showState();
    if (ev.Kind == event_kind::kFree) return;
    if (ev.Kind == event_kind::kTrainLine) {
        ss.CurTrain = ev.Target;
        ss.CurSect = trains().at(ev.Target).Sect;
        GenTrain(ss.CurTrain, ss.CurSect);
        return;
    }
    ss.CurSect = ev.Target;
    showRunSteps().runSect(ss.CurSect);
}

void reportLoopError() {
    // A stop cuts long work short with an error already reported (the frame step's, entered
    // while the stop is pending); the show ends as asked, and that is no error to log.
    if (programState().run.StopRequest != 0 && currentPendingError().number == error_number::kReported) return;
    try {
        ReportError(kMainLoopSite, u"Exit by Error handler in MainLoop", kMainLoopReport);
    } catch (...) {
        // Already reported; the stop request decides what follows.
    }
}

// After an error the scene starts again, but no sooner than a line that failed would: a
// fault that fails again (a picture that is not there) would otherwise restart the scene as
// fast as the machine can, a core busy and two log lines each time. The window system keeps
// running meanwhile, and a stop ends the wait at once.
void waitBeforeRestart() {
    ProgramClock& clock = programClock();
    const int32_t start = low31(clock.tickCount());
    while (!stopped() && elapsed31(low31(clock.tickCount()), start) < kRestartDelayMs) {
        clock.sleep(kRestartSliceMs);
        clock.pumpEvents();
    }
}

}  // namespace

std::u16string SectionLinesText() {
    std::u16string text;
    const int32_t count = ScriptBlockCount();
    for (int32_t sect = 1; sect <= count; ++sect) text += decimal(sectRec(sect).CurrentLine) + u",";
    return text;
}

void MainLoop() {
    ShowRunSteps& s = showRunSteps();
    ShowState& ss = showState();
    s.startDisplay();
    bool failed = false;
    while (!stopped()) {
        if (failed) waitBeforeRestart();
        if (stopped()) break;
        failed = false;
        try {
            s.createDisplaySurfaces();
            while (!stopped() && ss.RecreateRequest == 0) {
                CheckStep(kFullStep);
                const int32_t e = TakeDueEvent();
                if (e != 0) dispatch(e);
            }
        } catch (...) {
            reportLoopError();
            failed = true;
        }
        try {
            s.releaseDisplaySurfaces();
        } catch (...) {
            // Surfaces that cannot be released cannot be made again either.
            reportLoopError();
            programState().run.StopRequest = 1;
        }
    }
    SaveRegString(u"L", SectionLinesText());
    SaveRegString(u"LCMX", decimal(canvasSlot(0).width));
    s.stopDisplay();
}

}  // namespace yov
