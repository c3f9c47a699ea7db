#include "program/show/display_wiring.h"

#include <algorithm>
#include <cmath>

#include "platform/perf_counter.h"
#include "program/scene/script_reader.h"
#include "program/show/anim_wheel.h"
#include "program/show/display_start.h"
#include "program/show/display_state.h"
#include "program/show/run_show.h"
#include "program/show/show_clock.h"
#include "program/show/show_queues.h"
#include "program/show/sections.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"
#include "program/show/show_view.h"
#include "program/show/show_window_rules.h"
#include "program/show/snow.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/program_state.h"
#include "program/trains/area_painting.h"
#include "program/trains/area_show.h"
#include "program/trains/train_picture.h"
#include "program/core/pictures/anim_pools.h"
#include "program/show/timed_events.h"
#include "program/show/timed_object_events.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

// The show state names the display's values too; the display owns them and copies them over.
void publish() {
    const DisplayState& d = displayState();
    ShowState& ss = showState();
    ss.ShowDC = d.ShowDC;
    ss.ShowHwnd = d.ShowHwnd;
    ss.BackSurface = static_cast<int32_t>(d.BackSurface);
    ss.SceneWidth = d.SceneWidth;
    ss.SceneHeight = d.SceneHeight;
    ss.ModeRequest = d.ModeRequest;
    ss.DrawBits = d.DrawBits;
    ss.BackgroundPixel = static_cast<int32_t>(d.BackgroundPixel);
    ss.KeyPixel = static_cast<int32_t>(d.KeyPixel);
    ss.ShowFontHeight = d.ShowFontHeight;
    ss.CursorHidden = d.CursorHidden;
    ss.FirstShowBrush = d.BackBrush;
    ss.SecondShowBrush = d.KeyBrush;
}

// The layer builders and the area painting draw into the scene picture the display made; it
// starts in the scene's background colour, so a line painted before its layers shows that.
void shareScenePicture() {
    const DisplayState& d = displayState();
    AreaShow& a = areaShow();
    a.SceneDC = d.WorkDC.Value();
    a.SceneSurface = d.BackSurface;
    a.DirectDraw = programState().BatchMode != 0;
    a.BackgroundColour = displayShowLink().BackgroundColour;
    // Under DirectDraw the work DC is the frame surface's own, filled below.
    if (d.WorkDC && !d.WorkDcOfSurface)
        FillRectColor(d.WorkDC, {}, 0, 0, d.SceneWidth, d.SceneHeight, a.BackgroundColour, 0, 18023);
    if (d.BackSurface != 0)
        lv::FillSurface(d.BackSurface, 0, 0, d.SceneWidth, d.SceneHeight, d.BackgroundPixel, 0, 16017);
}

void forgetScenePicture() {
    AreaShow& a = areaShow();
    a.SceneDC = 0;
    a.SceneSurface = 0;
}

void takeDrawingMethod() {
    const ShowState& ss = showState();
    DisplayShowLink& link = displayShowLink();
    link.UseDirectDraw = ss.UseDirectDraw;
    link.DrawWholeTrains = ss.DrawWholeTrains;
    link.ColourKey = static_cast<uint32_t>(ss.ColourKey);
    // The scene's "BACKGROUND" colour (the stock's default when the script names none).
    const int32_t colour = scriptReader().S.Run.BgColor;
    link.BackgroundColour = colour < 0 ? 0u : static_cast<uint32_t>(colour) & 0x00FFFFFFu;
    displayState().FlipCount = ss.FlipCount;
    // The script's "RANDOMIZE" value seeds the show's random numbers (0: from the clock).
    const double seed = scriptReader().S.RandomSeed;
    link.RandomSeed =
        std::isfinite(seed) ? static_cast<int32_t>(static_cast<int64_t>(std::fmod(seed, 4294967296.0))) : 0;
}

void resetScene(int32_t width, int32_t height) {
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

void releaseTrains() {
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

}  // namespace

void WireDisplay() {
    DisplayShowLink& link = displayShowLink();
    link.resetFrameState = [] {
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
    };
    link.directDrawStarted = [] { showState().StepPhase = 0; };
    link.unloadSplash = [] {
        if (showState().SplashMs == 0) return;
        UnloadSplash();
        showState().SplashMs = 0;
    };
    link.resetStepClock = [] {
        ShowState& ss = showState();
        ss.LastStepStamp = low31(static_cast<uint32_t>(plat::QueryPerfCounter()));
        ss.MouseMoveCount = 0;
    };
    link.processEvents = [] {
        if (showClock().pumpEvents) showClock().pumpEvents();
    };
    link.createWorkDC = CreateWorkDC;
    link.deleteWorkDC = DeleteWorkDC;
    link.compositionDc = [] { return showState().WorkDC.dc.Value(); };
    link.resetScene = resetScene;
    link.releaseTrains = releaseTrains;

    ShowInputLink& input = showInputLink();
    input.requestRecreate = [] { showState().RecreateRequest = 1; };
    input.requestRepaint = [](uint8_t mask) { showState().RepaintRequest = mask; };

    ShowSeams& s = showSeams();
    s.setLayerFlags = [](int32_t train, int32_t flags) {
        if (trains().valid(train)) SetLayerFlags(trains().at(train), static_cast<int16_t>(flags));
    };
    s.startDisplay = [] {
        takeDrawingMethod();
        StartDisplay();
        publish();
    };
    s.createDisplaySurfaces = [] {
        CreateDisplaySurfaces();
        publish();
        shareScenePicture();
    };
    s.releaseDisplaySurfaces = [] {
        forgetScenePicture();
        ReleaseDisplaySurfaces();
        publish();
    };
    s.stopDisplay = [] {
        StopDisplay();
        publish();
    };
    // StopDisplay closes the show window; one left by a show that never reached it goes here.
    s.unloadShowForm = [] {
        DisplayState& d = displayState();
        if (!d.ShowForm) return;
        d.ShowForm->closeFromProgram();
        d.ShowForm.reset();
        publish();
    };
}

}  // namespace yov
