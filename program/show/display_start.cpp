#include "program/show/display_start.h"

#include <QSize>

#include <chrono>

#include "platform/priority.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas.h"
#include "program/core/settings/desktop_mode_setting.h"
#include "program/core/settings/settings.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/utilities.h"
#include "program/show/desc_menus.h"
#include "program/show/display_wiring.h"
#include "program/core/startup/program_clock.h"
#include "program/show_data/show_state.h"
#include "program/show/show_window_calls.h"
#include "program/trains/train_records.h"
#include "program/show_data/show_view.h"

namespace yov {

namespace {

constexpr uint8_t kFrameLoopRunning = 0x20;
constexpr uint32_t kSilver = 0xC0C0C0;
constexpr int32_t kMenuLanguages = 5264;
constexpr int32_t kMenuGdiOnly1 = 4229;
constexpr int32_t kMenuGdiOnly2 = 4504;
constexpr int32_t kThreadPriorityShow = 12;
constexpr int32_t kDdLastErrorResult = -13005;
constexpr int32_t kErrFrameSurface = 6008;

void processEvents() { programClock().pumpEvents(); }

void enableMenu(int32_t id, bool enabled) { lv::EnableMenu(id, enabled ? 1 : 0); }

// Priorities are best effort: an ordinary user may not raise them, and every such user would
// find the refusal in the error log at every start. The show runs at the priority it has then.
void setPriorities(bool show) {
    const plat::PriorityClass cls =
        show && programState().settings.HighPriority != 0 ? plat::PriorityClass::RealTime : plat::PriorityClass::Normal;
    plat::SetProcessPriorityClass(cls);
    plat::SetCurrentThreadPriority(show ? kThreadPriorityShow : plat::kThreadPriorityNormal);
}

QSize screenSize() { return screenSizePx(); }

}  // namespace

std::u16string InitDDrawErrorLine(int32_t r) {
    return u"InitDDraw error:&H" + hexText(r) + u": " + decimal(static_cast<uint16_t>(r));
}

std::u16string SetDisplayModeErrorLine(int32_t r) {
    return u"SetDisplayMode error: " + decimal(r) + u" &H" + hexText(r) + u": " + decimal(static_cast<uint16_t>(r));
}

std::u16string DDLastErrorLine(int32_t e) {
    return u"  DDLastError=&H" + hexText(e) + u"  (" + decimal(static_cast<uint16_t>(e)) + u")";
}

void StartDisplay() {
    DisplayState& d = displayState();
    const ShowState& ss = showState();
    ProgramState& st = programState();

    ResetShowFrameState();
    d.CursorHidden = 0;
    d.Frame.ClearBlitLists();

    const int32_t seed = ShowRandomSeed();
    if (seed == 0) {
        programRandom().seed(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    } else {
        programRandom().seed(static_cast<uint64_t>(static_cast<uint32_t>(seed)));
    }

    if (ShowWindowCalls* windows = showWindowCalls()) d.ShowForm = windows->makeView(st.run.ShowMode);
    if (d.ShowForm) {
        d.ShowDC = d.ShowForm->screenDc();
        d.ShowHwnd = d.ShowForm->handle();
        d.ShowForm->setBackgroundColour(d.BackgroundColour);
        if (st.run.ShowMode == 1) {
            const QSize screen = screenSize();
            d.FullMaximized = !(ss.UseDirectDraw == 0 && programState().machine.MonitorCount > 1);
            d.ShowForm->placeOverScreen(d.FullMaximized, screen.width(), screen.height());
        }
    }
    enableMenu(kMenuLanguages, st.Shared.LanguageCount != 0);
    RefreshDescMenu();

    // The background brush goes into the scene DC only while that DC exists
    // (CreateDisplaySurfaces to ReleaseDisplaySurfaces).
    d.SilverBrush = plat::CreateSolidBrush(kSilver);
    d.BackBrush = plat::CreateSolidBrush(d.BackgroundColour);

    UseCanvas(0, 0, GetRegNumber(u"LCMX", 2400), canvasUnit(), 6);

    d.FirstCreation = 1;
    st.Shared.ExpandState1 = 0;

    if (KeepsDesktopMode()) {
        const QSize screen = screenSize();
        d.ModeRequest = {screen.width(), screen.height(), lv::GetBitsPixel(), 0};
    } else {
        d.ModeRequest = {GetRegNumber(u"DDX", 1024), GetRegNumber(u"DDY", 768), GetRegNumber(u"DDB", 16),
                         GetRegNumber(u"DDF", 0)};
    }

    if (st.run.ShowMode == 1 && ss.UseDirectDraw != 0) {
        const int32_t r = lv::InitDDraw(d.ShowHwnd);
        if (r == 0) {
            st.run.BatchMode = 1;
            d.KeyBrush = plat::CreateSolidBrush(static_cast<uint32_t>(ss.ColourKey));
            showState().StepPhase = 0;
        } else {
            WriteErrorLog(InitDDrawErrorLine(r));
        }
    }

    if (st.run.BatchMode != 0) {
        enableMenu(kMenuGdiOnly1, false);
        enableMenu(kMenuGdiOnly2, false);
        d.DrawBits = static_cast<uint8_t>((showState().FlipCount != 0 ? draw_bits::kFlipping : draw_bits::kRectangles) |
                                          draw_bits::kDirectDrawCommon);
    } else {
        enableMenu(kMenuGdiOnly1, true);
        enableMenu(kMenuGdiOnly2, true);
        d.DrawBits = static_cast<uint8_t>((ss.DrawWholeTrains != 0 ? draw_bits::kWholeTrains : draw_bits::kVehicles) |
                                          draw_bits::kGdiCommon);
    }

    setPriorities(true);
}

void CreateDisplaySurfaces() {
    DisplayState& d = displayState();
    const ShowState& ss = showState();
    ProgramState& st = programState();
    const bool directDraw = st.run.BatchMode != 0;

    // The screen DC may still be drawn into by a batch handed over before a re-creation.
    lv::WaitBlt(nullptr);
    showState().SharedPages = 0;
    if (st.run.ShowMode == 0) {
        if (d.ShowForm) {
            d.ShowForm->clearAndShow();
            d.ShowForm->innerSize(d.SceneWidth, d.SceneHeight);
        }
    } else {
        if (directDraw) {
            const QSize screen = screenSize();
            const DisplayModeRequest& m = d.ModeRequest;
            if (lv::GetBitsPixel() != m.BitsPerPixel || screen.width() != m.Width || screen.height() != m.Height) {
                const int32_t r = lv::SetDisplayMode(m.Width, m.Height, m.BitsPerPixel, m.Refresh);
                if (r == 0) {
                    st.machine.ScreenWidthPx = m.Width;
                    st.machine.ScreenHeightPx = m.Height;
                } else {
                    WriteErrorLog(SetDisplayModeErrorLine(r));
                    if (r == kDdLastErrorResult) WriteErrorLog(DDLastErrorLine(lv::DDGetLastError()));
                }
            }
            lv::CreatePrimary(showState().FlipCount);
            // Pages that share one bitmap need one page's books: each step draws what changed
            // since the step before, and the flip shows the bitmap that every page is.
            showState().SharedPages = lv::PagesShared() != 0 ? 1 : 0;
            d.BackgroundPixel = static_cast<uint32_t>(lv::MatchColor(0, d.BackgroundColour));
            d.KeyPixel = static_cast<uint32_t>(lv::MatchColor(0, static_cast<uint32_t>(ss.ColourKey)));
        }
        const QSize screen = screenSize();
        d.SceneWidth = screen.width();
        d.SceneHeight = screen.height();
        if (directDraw) {
            // Every page of the chain starts in the background colour. The surfaces are memory:
            // one round of the chain clears them, with nothing to wait for between fills. The
            // window is painted once after the round, not once for each page it shows.
            for (int i = 0; i < showState().FlipCount + 1; ++i) {
                lv::FillSurface(0, 0, 0, d.SceneWidth, d.SceneHeight, d.BackgroundPixel, 0, 16016);
                lv::Flip();
            }
            processEvents();
        }
    }
    // Under DirectDraw nothing draws into the screen DC: the surfaces reach the presenter
    // themselves, so the DC keeps no frame of the scene's size.
    if (d.ShowForm) {
        if (directDraw) {
            d.ShowForm->setFrameSize(1, 1);
        } else {
            d.ShowForm->setFrameSize(d.SceneWidth, d.SceneHeight);
        }
    }

    if (showState().PageIndex > BookPages(showState())) {
        showState().PageIndex = 0;
        showState().PageBit = 1;
    }
    UnloadShowSplash();
    ResetStepClock();

    if (directDraw) {
        d.BackSurface = lv::CreateSurface(d.SceneWidth, d.SceneHeight, d.KeyPixel, 13002);
        if (d.BackSurface == 0) throw ProgramError(kErrFrameSurface, u"");
    }

    // The memory frame holds the scene picture that the layers are drawn into. Under DirectDraw
    // the frame surface holds that picture: its own DC is the scene DC, so the picture is kept
    // once and what the layers draw is already where the frames are composed from.
    if (directDraw) {
        d.SceneDC = plat::HDC(static_cast<uint32_t>(lv::GetDDC(d.BackSurface)));
        lv::ReleaseDDC(d.BackSurface, d.SceneDC.id);
        d.SceneDcOfSurface = true;
    } else {
        d.SceneDC = plat::CreateCompatibleDC(d.ShowDC);
        d.SceneBitmap = plat::CreateCompatibleBitmap(d.ShowDC, d.SceneWidth, d.SceneHeight);
        d.SceneBitmapPrevious = plat::SelectObject(d.SceneDC, d.SceneBitmap);
        d.SceneDcOfSurface = false;
    }
    d.SceneBrushPrevious = plat::SelectObject(d.SceneDC, d.BackBrush);
    processEvents();

    if (d.FirstCreation != 0) {
        UseCanvas(5, 0, d.SceneWidth, 0, 4);
        // Rectangles present every frame that is not flipped, and every GDI frame: a full-screen
        // show whose DirectDraw failed draws GDI with its flip count still set.
        if (showState().FlipCount == 0 || !directDraw) d.Frame.MakeBlitLists(directDraw);
        if (ShowWindowCalls* windows = showWindowCalls()) windows->takeCursorPosition();
        if (st.run.ShowMode == 1 && d.ShowForm && d.ShowForm->hideCursor()) d.CursorHidden = 1;
        if (d.ShowForm) d.ShowFontHeight = d.ShowForm->showFontHeight();
        d.FirstCreation = 0;
    }

    processEvents();
    if (st.run.ShowMode == 1 && d.ShowForm) {
        const QSize screen = screenSize();
        d.ShowForm->placeOverScreen(d.FullMaximized, screen.width(), screen.height());
    }

    if (!directDraw) CreateCompositionDC(d.SceneWidth, d.SceneHeight);
    d.Frame.frame.batchMode = st.run.BatchMode;
    d.Frame.frame.backgroundPixel = d.BackgroundPixel;
    d.Frame.frame.compositionDc = showState().CompositionDC.dc.Value();

    ResetShowScene(d.SceneWidth, d.SceneHeight);
    st.run.RunFlags = static_cast<uint8_t>(st.run.RunFlags | kFrameLoopRunning);
}

void ReleaseDisplaySurfaces() {
    DisplayState& d = displayState();
    ProgramState& st = programState();
    st.run.RunFlags = static_cast<uint8_t>(st.run.RunFlags & ~kFrameLoopRunning);

    ReleaseShowTrains();
    // The blit thread may still be drawing from the frame about to go.
    lv::WaitBlt(nullptr);
    if (st.run.BatchMode == 0) DeleteCompositionDC();
    if (d.SceneDC) {
        plat::SelectObject(d.SceneDC, d.SceneBrushPrevious);
        if (!d.SceneDcOfSurface) {
            plat::SelectObject(d.SceneDC, d.SceneBitmapPrevious);
            plat::DeleteObject(d.SceneBitmap);
            plat::DeleteDC(d.SceneDC);
        }
    }
    if (st.run.BatchMode != 0 && d.BackSurface != 0) {
        FreeSurface(d.BackSurface, 19015);
        d.BackSurface = 0;
        processEvents();
    }
    d.SceneDcOfSurface = false;
    d.SceneDC = {};
    d.SceneBitmap = {};
    d.SceneBitmapPrevious = {};
    d.SceneBrushPrevious = {};
}

void StopDisplay() {
    DisplayState& d = displayState();
    ProgramState& st = programState();

    if (d.SilverBrush) plat::DeleteObject(d.SilverBrush);
    if (d.BackBrush) plat::DeleteObject(d.BackBrush);
    d.SilverBrush = {};
    d.BackBrush = {};
    FreeCanvas(0);
    FreeCanvas(5);

    if (st.run.BatchMode != 0) {
        lv::CloseDDraw();
        st.run.BatchMode = 0;
        if (d.KeyBrush) plat::DeleteObject(d.KeyBrush);
        d.KeyBrush = {};
        processEvents();
    }
    GetScreenArea();
    setPriorities(false);

    if (d.CursorHidden == 1 && d.ShowForm) d.ShowForm->showCursor();
    d.CursorHidden = 0;
    d.Frame.EraseLists();
    d.Frame.batchLists[0].erase();
    d.Frame.batchLists[1].erase();

    if (d.ShowForm) {
        d.ShowForm->closeFromProgram();
        d.ShowForm.reset();
    }
    d.ShowDC = {};
    d.ShowHwnd = 0;
}

}  // namespace yov
