#include "program/show/frame_step.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/number_text.h"
#include "program/show/anim_wheel.h"
#include "program/show_data/display_state.h"
#include "program/show_data/show_view.h"
#include "program/show/frame_paint.h"
#include "program/show/object_motion.h"
#include "program/show/object_steps.h"
#include "program/core/startup/program_clock.h"
#include "program/show/show_input.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/show/show_window_calls.h"
#include "program/show/show_window_rules.h"
#include "program/show/timed_object_events.h"
#include "program/trains/train_records.h"

namespace yov {

namespace {

constexpr int32_t kSurfaceBusy = 430;
// Passes of one step: each takes one queued step program phase or one non-zero scene tick;
// a step program that keeps queueing itself cannot hold the show in one step for ever.
constexpr int32_t kMaxPasses = 1024;

enum class Outcome { Ended, Presented };

int32_t roundMs(double v) { return static_cast<int32_t>(std::lround(v)); }

int32_t counterNow() { return low31(static_cast<uint32_t>(programClock().perfCounter())); }

int32_t msSince(int32_t stamp) {
    return roundMs(static_cast<double>(elapsed31(counterNow(), stamp)) * programState().machine.MsPerCounterTick);
}

std::u16string low16(int32_t r) { return decimal(static_cast<int32_t>(static_cast<uint32_t>(r) & 0xFFFFu)); }

void stopWith(std::u16string_view line) {
    WriteErrorLog(line);
    programState().run.StopRequest = 1;
}

// A busy CanBlt or CanFlip answer: true when the step is to end (tried again later).
bool busyEnds(BusyMark& mark, int32_t callSite, std::u16string_view hang) {
    if (mark.Seen == 0) {
        mark.Seen = 1;
        mark.Since = counterNow();
    } else if (msSince(mark.Since) > kHangMs) {
        stopWith(hang);
        return true;
    }
    return callSite < kFullStep;
}

// The engine runs records 0 to count - 1 of what it is handed: the list's records start at 1.
const BlitOp* firstRecord(const BlitList& list) { return list.made ? list.records.data() + 1 : nullptr; }

void advancePage() {
    ShowState& ss = showState();
    ss.PageIndex = static_cast<uint8_t>((ss.PageIndex + 1) % (BookPages(ss) + 1));
    ss.PageBit = static_cast<uint8_t>(1u << ss.PageIndex);
}

void movePhase() {
    ShowState& ss = showState();
    ss.FrameChanged = 0;
    displayState().Frame.frameChanged = false;
    if (ss.PageIndex == 0 && showInput().DisplayRequest != display_request::kNone) {
        if (ShowWindowCalls* windows = showWindowCalls()) windows->showDisplayRequest();
    }
    if (ss.RepaintRequest != 0) {
        ss.PagesToRepaint = ss.RepaintRequest;
        ss.RepaintRequest = 0;
        MarkObjectsForRepaint();
    }
    if (ss.StepMode != 0) {
        if (ss.StepCountdown > 0) {
            --ss.StepCountdown;
            ss.StepClock = kSingleStepMs;
        } else {
            if ((ss.StepState & step_state::kYielding) != 0) return;
            ss.StepState = step_state::kYielding;
            programClock().sleep(kSingleStepPauseMs);
            programClock().pumpEvents();
            ss.StepState = step_state::kRunning;
            ss.UnyieldedMs = 0;
            ss.StepPhase = 1;
            ss.StepMoves = 0;
            return;
        }
    }
    ss.StepMoves = 1;
    ss.ActiveCount = 0;
    TrainTable& t = trains();
    int32_t guard = t.Count + 1;
    for (int32_t r = t.ActiveHead; r != 0 && guard > 0; --guard) {
        const int32_t next = t.at(r).NextActive;
        const int32_t flags = t.at(r).Flags;
        if ((flags & train_flag::kSceneRecord) != 0) {
            ++ss.ActiveCount;
        } else if ((flags & train_flag::kMoving) != 0) {
            frameMovers().moveObject(r, ss.StepClock);
            ++ss.ActiveCount;
        }
        // A mover may remove its record; the walk goes on from the link taken before it.
        r = t.valid(next) ? next : 0;
    }
    StepAnimations(ss.StepClock);
    ss.StepPhase = 1;
}

// False when the step ends here (the paint phase is tried again by a later call).
bool paintPhase(int32_t callSite) {
    ShowState& ss = showState();
    const ProgramState& ps = programState();
    if (ps.run.BatchMode != 0 && ss.FlipCount > 0) {
        const int32_t r = lv::CanBlt();
        if (r < 0 && (r & 0xFFFF) != kSurfaceBusy) {
            stopWith(u"Exit by CanBlt error " + low16(r));
            return false;
        }
        if (r != 0) {
            if (!busyEnds(ss.BltBusy, callSite, u"Hanging on CanBlt") && ss.YieldedThisStep == 0) {
                YieldToSystem(u"CanBlt=" + decimal(r));
            }
            return false;
        }
    }
    ss.BltBusy.Seen = 0;
    // Fill records of the composition list paint with the composition DC's brush.
    const plat::HDC composition = plat::HDC::FromValue(displayState().Frame.frame.compositionDc);
    if (composition && ss.Display.BackBrush) plat::SelectObject(composition, ss.Display.BackBrush);
    PaintFrame();
    ss.StepPhase = 2;
    return true;
}

Outcome presentByRectangles(int32_t callSite) {
    ShowState& ss = showState();
    Compositor& comp = displayState().Frame;
    int32_t stamp = 0;
    if (callSite != kFullStep && lv::CheckBlt(&stamp) != 0 && msSince(ss.LastStepStamp) < ss.MinFrameMs - 2) {
        return Outcome::Ended;
    }
    lv::WaitBlt(&stamp);
    const LvHandle showDc = static_cast<LvHandle>(ss.Display.ShowDC.Value());
    if (programState().run.BatchMode != 0) {
        lv::BatchBlt(0, firstRecord(comp.compositionList), showDc);
        return Outcome::Presented;
    }
    // The window paints from its screen DC only while no batch is pending: what the last batch
    // drew goes on screen now, before the next is handed over. A surface's pages reach the
    // window through the engine's own presentation instead.
    if (ss.Display.ShowForm) ss.Display.ShowForm->showPresented();
    // Fill records of the batch paint with the show window's brush.
    if (ss.Display.ShowDC && ss.Display.BackBrush) plat::SelectObject(ss.Display.ShowDC, ss.Display.BackBrush);
    BlitList& composition = comp.compositionList;
    if (composition.count > 0) {
        lv::DoBlt(composition.count, firstRecord(composition), static_cast<LvHandle>(ss.CompositionDC.dc.Value()));
    }
    BlitList& batch = comp.currentBatch();
    lv::BatchBlt(batch.count, firstRecord(batch), showDc);
    // The list handed over stays untouched until the next step's WaitBlt.
    comp.batchIndex ^= 1;
    return Outcome::Presented;
}

Outcome presentPhase(int32_t callSite) {
    ShowState& ss = showState();
    if (displayState().Frame.frameChanged) ss.FrameChanged = 1;
    if (ss.FlipCount == 0) return presentByRectangles(callSite);
    if (ss.FrameChanged == 0 && callSite < kFullStep && msSince(ss.LastStepStamp) < kDeferredPresentMs) {
        return Outcome::Ended;
    }
    if (programState().run.BatchMode == 0) {
        // The page moves on with the presentation: a deferred one comes back here later and
        // must not move it again.
        const Outcome presented = presentByRectangles(callSite);
        if (presented == Outcome::Presented) advancePage();
        return presented;
    }
    if (ss.PagesToRepaint == 0) {
        // The wait ends by the hang rule at the latest.
        for (;;) {
            const int32_t r = lv::CanFlip();
            if (r == 0) break;
            if (r < 0) {
                stopWith(u"Exit by CanFlip Error " + low16(r));
                return Outcome::Ended;
            }
            if (busyEnds(ss.FlipBusy, callSite, u"Hanging on CanFlip")) return Outcome::Ended;
            if (ss.YieldedThisStep == 0) {
                YieldToSystem(u"CanFlip=" + decimal(r));
            } else {
                // The flip is pending until its period is over: asking again at once would hold
                // a core for the rest of it. Sleep until about when the step is due, as a
                // step presenting by rectangles waits, then a millisecond at a time.
                programClock().sleep(std::max(1, ss.MinFrameMs - 2 - msSince(ss.LastStepStamp)));
            }
        }
    }
    ss.FlipBusy.Seen = 0;
    const int32_t r = lv::Flip();
    if (r < 0) {
        stopWith(u"Exit by Flip error " + low16(r));
        return Outcome::Ended;
    }
    if (r > 0) return Outcome::Ended;
    advancePage();
    return Outcome::Presented;
}

void takeStepTime() {
    ShowState& ss = showState();
    const int32_t now = counterNow();
    const int32_t e =
        roundMs(static_cast<double>(elapsed31(now, ss.LastStepStamp)) * programState().machine.MsPerCounterTick);
    ss.StepPhase = 0;
    ss.LastStepStamp = now;
    GrantStepTime(ss, e);
    ss.YieldedThisStep = 0;
    ss.TickAccumulator += static_cast<float>(ss.StepClock);
    ss.UnyieldedMs += ss.StepClock;
}

// One step after the entry guards; the code of later passes is 100 or the tick's result.
void runStep(int32_t callSite) {
    ShowState& ss = showState();
    for (int32_t pass = 0; pass < kMaxPasses; ++pass) {
        if (ss.StepPhase == 0) {
            movePhase();
            if (ss.StepPhase == 0) return;  // single-step pause already running further up
        }
        if (ss.StepPhase == 1 && !paintPhase(callSite)) return;
        if (presentPhase(callSite) == Outcome::Ended) return;
        if (displayState().ShowForm) displayState().ShowForm->showPresented();
        takeStepTime();
        const int32_t train = TakeObjectStep();
        if (train != 0) {
            frameMovers().stepObjectAnim(train);
            callSite = 100;
            continue;
        }
        if (programState().settings.Music != 0) {
            if (ss.MusicCountdown == 0) {
                YieldToSystem(u"Music");
                ss.MusicCountdown = 2;
            } else {
                --ss.MusicCountdown;
            }
        }
        const int32_t r = frameMovers().doTimedEvents();
        if (r == 0) return;
        callSite = r;
    }
}

}  // namespace

void FrameMovers::moveObject(int32_t train, int32_t stepMs) { MoveObject(train, stepMs); }
void FrameMovers::stepObjectAnim(int32_t train) { StepObjectAnim(train); }
int32_t FrameMovers::doTimedEvents() { return DoTimedEvents(); }

void GrantStepTime(ShowState& ss, int32_t e) {
    if (e > 100) e = roundMs(ss.MeanStepMs);
    ss.MeanStepMs = (ss.MeanStepMs * static_cast<float>(ss.StepSamples) + static_cast<float>(e)) /
                    static_cast<float>(ss.StepSamples + 1);
    if (ss.StepSamples < 1023) ++ss.StepSamples;
    if (ss.StepSamples < 16) {
        ss.StepClock = e < 10 ? 10 : (e > 100 ? 100 : e);
        return;
    }
    ss.StepDebt += e;
    const int32_t m = static_cast<int32_t>(ss.MeanStepMs);
    const int32_t d = ss.StepDebt;
    int32_t grant = m;
    if (d <= -m)
        grant = m - 5;
    else if (d <= 0)
        grant = m - 1;
    else if (d < m)
        grant = m;
    else if (d < 2 * m)
        grant = m + 1;
    else if (d < 3 * m)
        grant = m + 2;
    else if (d < 4 * m)
        grant = m + 5;
    else
        ss.StepDebt = m;
    // A mean step under 5 ms would grant nothing or less: objects would stand or run backwards.
    if (grant < 1) grant = 1;
    ss.StepClock = grant;
    ss.StepDebt -= grant;
}

void YieldToSystem(std::u16string_view /*label*/) {
    ShowState& ss = showState();
    ss.StepState = step_state::kYielding;
    programClock().sleep(1);
    programClock().pumpEvents();
    ss.StepState = step_state::kRunning;
    ss.YieldedThisStep = 1;
    ss.UnyieldedMs = 0;
}

void FrameStepper::step(int32_t callSite) {
    ShowState& ss = showState();
    if ((programState().run.RunFlags & run_flag::kFramesDrawn) == 0) return;
    if ((ss.StepState & step_state::kRunning) != 0) return;
    if (programState().run.StopRequest != 0) throw ProgramError(error_number::kReported, u"");
    if (ss.ActiveCount == 0 && callSite < kFullStep) return;
    ss.StepState |= step_state::kRunning;
    try {
        runStep(callSite);
    } catch (...) {
        try {
            ReportError(kStepSite, u"-> Exit checkstep", kStepReport);
        } catch (...) {
            // Reported; the stop request ends the show.
        }
    }
    ss.StepState &= static_cast<uint8_t>(~step_state::kRunning);
}

void CheckStep(int32_t callSite) { frameStepper().step(callSite); }

}  // namespace yov
