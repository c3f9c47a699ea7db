// One frame of a windowed GDI show from end to end: the display made by the display start,
// a line composed by the compositor, the composition list run into the composition DC, the
// batch handed to the engine's blit thread onto the window's screen DC, and the presenter
// putting the changed rectangles on the window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "core_fixture.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_events.h"
#include "program/core/startup/program_state.h"
#include "program/show/display_start.h"
#include "program/show/show_window_calls.h"
#include "program/show_data/display_state.h"
#include "program/ui/show_windows.h"

namespace {

struct Picture {
    Picture(int32_t w, int32_t h, plat::COLORREF colour) {
        dc = plat::CreateCompatibleDC({});
        bitmap = plat::CreateBitmap(w, h, 1, 32, nullptr);
        old = plat::SelectObject(dc, bitmap);
        fill(0, 0, w, h, colour);
    }
    ~Picture() {
        plat::SelectObject(dc, old);
        plat::DeleteObject(bitmap);
        plat::DeleteDC(dc);
    }
    void fill(int32_t x, int32_t y, int32_t w, int32_t h, plat::COLORREF colour) {
        const plat::HBRUSH brush = plat::CreateSolidBrush(colour);
        const plat::RECT r{x, y, x + w, y + h};
        plat::FillRect(dc, &r, brush);
        plat::DeleteObject(brush);
    }
    plat::HDC dc;
    plat::HBITMAP bitmap;
    plat::HBITMAP old;
};

class ShowFrameTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(yov::InitEngineOnProgramArrays(nullptr, nullptr), 0);
        savedWindowCalls_ = yov::showWindowCalls();
        yov::WireShowWindows();
        ASSERT_EQ(yov::lv::StartMMTimer(20), 0);
    }
    void TearDown() override {
        yov::lv::StopMMTimer();
        yov::InstallShowWindowCalls(savedWindowCalls_);
        yov::lv::CloseDLL();
        CoreTest::TearDown();
    }

private:
    yov::ShowWindowCalls* savedWindowCalls_ = nullptr;
};

TEST_F(ShowFrameTest, ComposedLineReachesTheWindow) {
    const plat::COLORREF sky = plat::RGB(40, 90, 200);
    yov::displayState().BackgroundColour = plat::RGB(10, 10, 10);
    yov::programState().run.ShowMode = 0;
    yov::StartDisplay();
    yov::CreateDisplaySurfaces();
    yov::DisplayState& d = yov::displayState();
    ASSERT_EQ(d.SceneWidth, 800);

    // A line of 800 x 200 whose base is screen row 400: its background, and a train drawn over
    // it with OR (black where there is no train).
    Picture background(800, 200, sky);
    Picture train(300, 60, plat::RGB(0, 0, 0));
    train.fill(20, 10, 260, 40, plat::RGB(200, 0, 0));
    yov::Compositor& c = d.Frame;
    c.compositionList.count = 0;
    c.currentBatch().count = 0;
    c.SetScreenRect(0, 400, 800, 200, 0);
    c.AddDirtyRect(0, 0, 800, 200, 1, background.dc.Value(), 0, 0, 200, 0, 0);
    c.AddDirtyRect(250, 0, 300, 60, 1, train.dc.Value(), 1, 0, 60, 1, 0);
    c.MergeDirtyRects();
    c.FlushBlitOps();

    plat::SelectObject(d.ShowDC, d.BackBrush);
    yov::lv::DoBlt(c.compositionList.count, &c.compositionList.records[1], d.SceneDC.Value());
    yov::BlitList& batch = c.currentBatch();
    yov::lv::BatchBlt(batch.count, &batch.records[1], d.ShowDC.Value());
    yov::lv::WaitBlt(nullptr);

    yov::ShowWindowBase* w = yov::ShowWindowOf(d.ShowForm.get());
    ASSERT_NE(w, nullptr);
    QImage shown;
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents();
        shown = w->grab().toImage();
    } while (QColor(shown.pixel(400, 380)) != QColor(40 | 200, 90, 200) && clock.elapsed() < 2000);
    if (const char* out = std::getenv("YOV_SHOW_SCREENSHOT")) shown.save(QString::fromUtf8(out));

    EXPECT_EQ(QColor(shown.pixel(100, 300)), QColor(40, 90, 200));        // background
    EXPECT_EQ(QColor(shown.pixel(400, 380)), QColor(40 | 200, 90, 200));  // train ORed onto it
    EXPECT_EQ(QColor(shown.pixel(260, 395)), QColor(40, 90, 200));        // the train's black edge shows the sky
    EXPECT_EQ(QColor(shown.pixel(400, 100)), QColor(10, 10, 10));         // above the line: cleared window
    yov::ReleaseDisplaySurfaces();
    yov::StopDisplay();
}

}  // namespace
