#include "program/show/run_show.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/foreign_window_mode.h"
#include "program/core/texts/error_log.h"
#include "program/core/windows/splash_frm.h"
#include "program/core/windows/window_dispatch.h"
#include "program/core/params/param_table.h"
#include "program/show/main_loop.h"
#include "program/core/startup/program_clock.h"
#include "program/show/display_wiring.h"
#include "program/show/show_run_steps.h"
#include "program/show/show_window_calls.h"
#include "program/show_data/show_state.h"

namespace yov {

namespace {

constexpr int32_t kDefaultSplashSeconds = 5;
// The masked 31-bit difference can only be compared with waits below 2^30 ms.
constexpr int32_t kLongestSplashMs = 0x3FFFFFFF;
constexpr int32_t kSplashDcSite = 0;

// Errors are skipped statement by statement here: a step that fails leaves the next to run.
template <typename F>
void skipOnError(F&& step) {
    try {
        step();
    } catch (...) {}
}

void fitAxis(int32_t picture, int32_t& area, int32_t& dest, int32_t& src) {
    if (picture > area) {
        src = (picture - area) / 2;
    } else if (picture < area) {
        dest += (area - picture) / 2;
        area = picture;
    }
}

// Draws the current picture into the splash window's own label.
void drawSplash(SplashFrm& form, const SplashLayout& l) {
    MemDC dc;
    CreateMemoryDC(l.Width, l.Height, 32, dc, plat::WHITENESS, kSplashDcSite);
    if (l.Frame) {
        const plat::HBRUSH black = plat::CreateSolidBrush(0);
        const plat::HBRUSH old = plat::SelectObject(dc.dc, black);
        plat::PatBlt(dc.dc, 0, 0, l.Width, 1, plat::PATCOPY);
        plat::PatBlt(dc.dc, 0, l.Height - 1, l.Width, 1, plat::PATCOPY);
        plat::PatBlt(dc.dc, 0, 0, 1, l.Height, plat::PATCOPY);
        plat::PatBlt(dc.dc, l.Width - 1, 0, 1, l.Height, plat::PATCOPY);
        plat::SelectObject(dc.dc, old);
        plat::DeleteObject(black);
    }
    lv::GetPartWithMsk(0, static_cast<LvHandle>(dc.dc.id), 0, l.DestX, l.DestY, l.DrawWidth, l.DrawHeight, l.SrcX,
                       l.SrcY, 0);
    plat::PixelAccess px;
    QImage image(l.Width, l.Height, QImage::Format_RGB32);
    if (plat::AccessPixels(plat::GetCurrentBitmap(dc.dc), px) && px.bitsPerPixel == 32) {
        const int rows = std::min(px.height, l.Height);
        const int bytes = std::min(px.width, l.Width) * 4;
        for (int y = 0; y < rows; ++y) {
            std::copy_n(px.topRow + y * px.stride, bytes, image.scanLine(y));
        }
    }
    DeleteMemoryDC(dc);
    form.Pic->setPixmap(QPixmap::fromImage(image));
}

}  // namespace

DrawMethod DrawMethodFor(int32_t drawAlg) {
    switch (drawAlg) {
    case 1: return {0, 0, 1};
    case 2: return {1, 0, 0};
    case 3: return {1, 1, 0};
    case 4: return {1, 2, 0};
    default: return {0, 0, 0};
    }
}

SplashLayout LayOutSplash(int32_t pictureWidth, int32_t pictureHeight, int32_t screenWidth, int32_t screenHeight,
                          bool fullScreen) {
    SplashLayout l;
    int32_t areaW = 0;
    int32_t areaH = 0;
    if (fullScreen) {
        l.Width = screenWidth;
        l.Height = screenHeight;
        areaW = l.Width;
        areaH = l.Height;
    } else {
        l.Width = std::min(pictureWidth + 2, screenWidth);
        l.Height = std::min(pictureHeight + 2, screenHeight);
        areaW = l.Width - 2;
        areaH = l.Height - 2;
        l.DestX = 1;
        l.DestY = 1;
        l.Frame = true;
    }
    l.Left = (screenWidth - l.Width) / 2;
    l.Top = (screenHeight - l.Height) / 2;
    fitAxis(pictureWidth, areaW, l.DestX, l.SrcX);
    fitAxis(pictureHeight, areaH, l.DestY, l.SrcY);
    l.DrawWidth = areaW;
    l.DrawHeight = areaH;
    return l;
}

int32_t SplashTimeMs(std::u16string_view text) {
    double seconds = kDefaultSplashSeconds;
    if (!text.empty()) seconds = paramParser().EvalRelativeValue(text, double{kDefaultSplashSeconds}).number();
    double ms = std::nearbyint(seconds * 1000.0);
    if (!std::isfinite(ms)) ms = kLongestSplashMs;
    const int32_t v = static_cast<int32_t>(std::clamp(ms, 0.0, double{kLongestSplashMs}));
    return v == 0 ? 1 : v;
}

void WaitOutSplash() {
    ShowState& ss = showState();
    ProgramClock& clock = programClock();
    while (ss.SplashMs != 0 && programState().run.StopRequest == 0 &&
           elapsed31(low31(clock.tickCount()), ss.SplashStart) <= ss.SplashMs) {
        clock.sleep(1);
        clock.pumpEvents();
    }
}

void ParseShowOptions() {
    ShowState& ss = showState();
    // Nothing shows over a screen-saver daemon's screen.
    if (CurrentForeignWindowMode().active) return;
    std::u16string ref = ss.SplashPicture;
    try {
        OpenPictureRef(ref, kRefKnownSize, 0);
    } catch (...) {
        return;  // no splash and no wait
    }
    skipOnError([&] {
        if (!paramTable().GetParam(u"F,FULL,FULLSCREEN", u"").empty()) ss.SplashFullScreen = 1;
    });
    const QSize screen = screenSizePx();
    const PictureRef& pic = pictureRef();
    const SplashLayout l =
        LayOutSplash(pic.PicRefWidth, pic.PicRefHeight, screen.width(), screen.height(), ss.SplashFullScreen != 0);
    skipOnError([&] {
        if (ss.SplashForm == nullptr) ss.SplashForm = new SplashFrm();
    });
    auto* form = static_cast<SplashFrm*>(ss.SplashForm);
    if (form != nullptr) {
        skipOnError([&] { drawSplash(*form, l); });
        skipOnError([&] {
            form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            form->setGeometry(l.Left, l.Top, l.Width, l.Height);
            form->show();
        });
        skipOnError([] { programClock().pumpEvents(); });
        skipOnError([&] { form->update(); });
    }
    skipOnError([&] { ss.SplashMs = SplashTimeMs(paramTable().GetParam(u"T,TIME", u"")); });
    if (ss.SplashMs == 0) ss.SplashMs = SplashTimeMs(u"");
    ss.SplashStart = low31(programClock().tickCount());
    skipOnError([] { programClock().pumpEvents(); });
}

void UnloadSplash() {
    ShowState& ss = showState();
    if (ss.SplashForm != nullptr) {
        QWidget* form = ss.SplashForm;
        ss.SplashForm = nullptr;
        form->close();
        form->deleteLater();
    }
    ss.SplashMs = 0;
}

void RunShow(uint8_t mode, std::u16string& script, uint8_t headerOnly, uint8_t singleLine) {
    ProgramState& st = programState();
    ShowState& ss = showState();
    ss.SectPickFlag = 0;
    ss.KeepGdiFrame = 1;
    ss.ColourKey = kShowColourKey;
    st.run.ShowMode = mode;
    st.run.RunFlags = run_flag::kShowStart;
    BeginShowLog();
    auto setTab = [] {
        if (!SettingsDialogOpen()) return false;
        if (ShowWindowCalls* windows = showWindowCalls()) windows->settingsShowTab();
        return true;
    };
    skipOnError(setTab);
    st.run.BatchMode = 0;
    ss.SpeedPanelFlag = 0;
    // A show asked for once the program is ending stops at its first look.
    st.run.StopRequest = st.run.EndRequest != 0 ? 1 : 0;
    st.Shared.CancelLoad = 0;
    ss.SingleLineRead = singleLine;
    ss.TickMs = 200;
    ss.TicksPerSecond = static_cast<int32_t>(std::lrint(1000.0f / ss.TickMs));
    ss.TickBacklogMs = 10 * ss.TickMs;
    ss.RepaintWipeBudget = 30000;
    ss.ClearWipeBudget = 40000;
    ss.MouseMoveCount = 0;

    bool ok = false;
    try {
        ok = showRunSteps().readScript(script, headerOnly);
    } catch (...) {
        ok = false;  // an error pending after the read: no show
    }
    if (ok && st.run.StopRequest == 0) {
        skipOnError([] { EnsureStockIndex(); });
        ss.UseDirectDraw = 0;
        ss.FlipCount = 0;
        ss.DrawWholeTrains = 0;
        skipOnError([&] {
            const int index = mode == 0 ? kWindowMode : kFullScreenMode;
            const DrawMethod m = DrawMethodFor(programState().settings.Show.DrawAlg[static_cast<size_t>(index)]);
            ss.UseDirectDraw = m.UseDirectDraw;
            ss.FlipCount = m.FlipCount;
            ss.DrawWholeTrains = m.DrawWholeTrains;
        });
        skipOnError(WaitOutSplash);
        skipOnError(MainLoop);
        skipOnError(CloseLeftShowWindow);
    }
    skipOnError([] { lv::MacFree(); });
    if (ss.SplashMs != 0) skipOnError(UnloadSplash);
    ss.SplashMs = 0;
    st.run.RunFlags = 0;
    st.run.StopRequest = 1;
    bool settingsOpen = false;
    try {
        settingsOpen = setTab();
    } catch (...) {
        settingsOpen = SettingsDialogOpen();
    }
    if (!settingsOpen) skipOnError([] { PostDeferredAction(deferred::kShutdown); });
    st.run.ShowMode = 0;
    st.run.BatchMode = 0;
    ss.UseDirectDraw = 0;
}

}  // namespace yov
