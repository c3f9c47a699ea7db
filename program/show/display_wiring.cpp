#include "program/show/display_wiring.h"

#include <algorithm>
#include <cmath>

#include "platform/perf_counter.h"
#include "program/scene/script_reader.h"
#include "program/show/anim_wheel.h"
#include "program/show/display_start.h"
#include "program/show_data/display_state.h"
#include "program/show/run_show.h"
#include "program/core/startup/program_clock.h"
#include "program/trains/show_queues.h"
#include "program/show/sections.h"
#include "program/show_data/show_state.h"
#include "program/show_data/show_view.h"
#include "program/show/show_window_rules.h"
#include "program/show/snow.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/program_state.h"
#include "program/trains/area_painting.h"
#include "program/trains/train_picture.h"
#include "program/core/pictures/anim_pools.h"
#include "program/trains/timed_events.h"
#include "program/show/timed_object_events.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

// The layer builders and the area painting draw into the scene picture the display made; it
// starts in the scene's background colour, so a line painted before its layers shows that.
void clearScenePicture() {
    const DisplayState& d = displayState();
    // Under DirectDraw the scene DC is the frame surface's own, filled below.
    if (d.SceneDC && !d.SceneDcOfSurface)
        FillRectColor(d.SceneDC, {}, 0, 0, d.SceneWidth, d.SceneHeight, d.BackgroundColour, 0, 18023);
    if (d.BackSurface != 0)
        lv::FillSurface(d.BackSurface, 0, 0, d.SceneWidth, d.SceneHeight, d.BackgroundPixel, 0, 16017);
}

// The scene's "BACKGROUND" colour (the stock's default when the script names none).
void takeBackgroundColour() {
    const int32_t colour = scriptReader().S.Run.BgColor;
    displayState().BackgroundColour = colour < 0 ? 0u : static_cast<uint32_t>(colour) & 0x00FFFFFFu;
}

}  // namespace

int32_t ShowRandomSeed() {
    const double seed = scriptReader().S.RandomSeed;
    return std::isfinite(seed) ? static_cast<int32_t>(static_cast<int64_t>(std::fmod(seed, 4294967296.0))) : 0;
}

void ResetShowFrameState() {
    ShowState& ss = showState();
    ss.MinFrameMs = 20;
    ss.YieldAfterMs = 100;
    ss.StepState = 0;
    ss.PageIndex = 0;
    ss.PageBit = 1;
    ss.StepPhase = 0;
    ss.TickDue = 0;
    ss.StepMode = 0;
    StartTimedEvents();
}

void UnloadShowSplash() {
    if (showState().SplashMs == 0) return;
    UnloadSplash();
    showState().SplashMs = 0;
}

void ResetStepClock() {
    ShowState& ss = showState();
    ss.LastStepStamp = low31(static_cast<uint32_t>(plat::QueryPerfCounter()));
    ss.MouseMoveCount = 0;
}

void ResetShowScene(int32_t width, int32_t height) {
    ShowState& ss = showState();
    ResetRunQueue();
    ResetTrainTable();
    ResetShowLists();
    animWheel() = AnimWheelState{};
    ss.TickAccumulator = 0;
    ss.RecreateRequest = 0;
    ss.StepSamples = 0;
    ss.StepDebt = 0;
    // The record being wiped is gone with the table (a window resize resets the scene too).
    ss.WipeTrain = 0;
    ResetTrainStarts();
    ResetSections();
    // The root block covers the whole scene.
    if (ScriptBlockCount() >= 1) {
        sectRec(1).Left = 0;
        sectRec(1).Width = width;
    }
    const int32_t root = AddTimedEvent(event_kind::kRoot, 1, 0, 0, height);
    QueueDueEvent(root);
}

void ReleaseShowTrains() {
    TrainTable& t = trains();
    // Each pass removes the head; a table that would not shrink ends the walk after its size.
    for (int32_t guard = t.Count + 1; t.ActiveHead != 0 && guard > 0; --guard) {
        const int32_t head = t.ActiveHead;
        const int32_t members = std::min<int32_t>(t.at(head).MemberCount, kMaxTrainMembers);
        for (int32_t m = 1; m <= members; ++m) {
            int32_t picture = t.at(head).Members[static_cast<size_t>(m)];
            FreeTrainPicture(picture);
        }
        RemoveTrain(head);
    }
}

void OpenShowDisplay() {
    takeBackgroundColour();
    StartDisplay();
}

void CreateShowSurfaces() {
    CreateDisplaySurfaces();
    clearScenePicture();
}

void ReleaseShowSurfaces() { ReleaseDisplaySurfaces(); }

void CloseShowDisplay() { StopDisplay(); }

void CloseLeftShowWindow() {
    DisplayState& d = displayState();
    if (!d.ShowForm) return;
    d.ShowForm->closeFromProgram();
    d.ShowForm.reset();
}

}  // namespace yov
