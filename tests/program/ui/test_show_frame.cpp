// One frame of a windowed GDI show from end to end: the display made by the display start,
// a line composed by the compositor, the composition list run into the composition DC, the
// batch handed to the engine's blit thread onto the window's screen DC, and the presenter
// putting the changed rectangles on the window.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QTest>

#include "core_fixture.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_events.h"
#include "program/core/startup/program_state.h"
#include "program/show/display_start.h"
#include "program/show/show_window_calls.h"
#include "program/show_data/display_state.h"
#include "program/show_data/show_state.h"
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

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// The window's screen DC is the one frame of the screen's size a GDI show keeps for the
// window: the window paints from it and the presenter keeps no copy, windowed and full
// screen. What is on screen is what the blit thread drew there.
TEST_F(ShowFrameTest, AGdiShowKeepsItsScreenOnceAndShowsWhatTheBatchDrew) {
    for (const uint8_t mode : {uint8_t{0}, uint8_t{1}}) {
        SCOPED_TRACE(mode == 0 ? "window" : "full screen");
        yov::displayState().BackgroundColour = plat::RGB(10, 10, 10);
        yov::programState().run.ShowMode = mode;
        yov::showState().UseDirectDraw = 0;
        yov::StartDisplay();
        yov::CreateDisplaySurfaces();
        yov::DisplayState& d = yov::displayState();
        ASSERT_EQ(yov::programState().run.BatchMode, 0);
        yov::ShowWindowBase* w = yov::ShowWindowOf(d.ShowForm.get());
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));

        // A strip of the scene picture copied onto the screen by the blit thread.
        Picture scene(d.SceneWidth, d.SceneHeight, plat::RGB(200, 120, 30));
        const BlitOp copy{0, 0, 50, 60, 300, 40, scene.dc.Value(), 0, 50, 60};
        // Above 0: ticks went by without a batch, and it was drawn at once.
        ASSERT_GE(yov::lv::BatchBlt(1, &copy, d.ShowDC.Value()), 0);
        yov::lv::WaitBlt(nullptr);
        d.ShowForm->showPresented();
        const QImage shown = w->grab().toImage();
        EXPECT_EQ(QColor(shown.pixel(100, 80)), QColor(200, 120, 30));
        EXPECT_EQ(QColor(shown.pixel(100, 20)), QColor(10, 10, 10));
        EXPECT_EQ(w->presenter().ownFrameBytes(), 0) << "no second frame of the screen's size";
        for (const QPoint p : {QPoint(0, 0), QPoint(60, 70), QPoint(349, 99), QPoint(350, 100)}) {
            const plat::COLORREF c = plat::GetPixel(d.ShowDC, p.x(), p.y());
            EXPECT_EQ(QColor(shown.pixel(p)), QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF))
                << p.x() << "," << p.y();
        }
        yov::ReleaseDisplaySurfaces();
        yov::StopDisplay();
    }
}

// The window reads its screen only while the blit thread is not drawing into it: the show's
// own repaint leaves a frame still pending for a later call rather than wait for it, and a
// paint the window system asks for (an exposure) waits for the pending frame and shows it.
TEST_F(ShowFrameTest, TheScreenIsReadOnlyWhileNoBatchIsPending) {
    yov::displayState().BackgroundColour = plat::RGB(10, 10, 10);
    yov::programState().run.ShowMode = 0;
    yov::StartDisplay();
    yov::CreateDisplaySurfaces();
    yov::DisplayState& d = yov::displayState();
    yov::ShowWindowBase* w = yov::ShowWindowOf(d.ShowForm.get());
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QCoreApplication::processEvents();
    // A slow tick keeps the batch pending for a while.
    yov::lv::StopMMTimer();
    ASSERT_EQ(yov::lv::StartMMTimer(400), 0);

    Picture scene(d.SceneWidth, d.SceneHeight, plat::RGB(0, 160, 90));
    const BlitOp copy{0, 0, 0, 0, 200, 100, scene.dc.Value(), 0, 0, 0};
    ASSERT_GE(yov::lv::BatchBlt(1, &copy, d.ShowDC.Value()), 0);
    PaintCounter counter;
    w->installEventFilter(&counter);
    d.ShowForm->showPresented();
    const bool drawnMeanwhile = yov::lv::CheckBlt(nullptr) == 0;
    EXPECT_TRUE(counter.paints == 0 || drawnMeanwhile) << "the show's repaint waited for the blit thread";
    const QImage exposed = w->grab().toImage();
    EXPECT_EQ(yov::lv::CheckBlt(nullptr), 0) << "the exposure waited for the pending frame";
    EXPECT_EQ(QColor(exposed.pixel(100, 50)), QColor(0, 160, 90));
    if (!drawnMeanwhile) {
        counter.paints = 0;
        d.ShowForm->showPresented();
        EXPECT_EQ(counter.paints, 1) << "the frame left pending is painted by the next call";
    }
    w->removeEventFilter(&counter);
    yov::ReleaseDisplaySurfaces();
    yov::StopDisplay();
}

}  // namespace
