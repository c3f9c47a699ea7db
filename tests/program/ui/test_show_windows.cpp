// The show windows under the platform the tests run on (offscreen, or Xvfb when run by hand
// with QT_QPA_PLATFORM=xcb): their sizes, the re-creation a resize asks for, keys, clicks and
// moves reaching the show, close requests told apart, and frames put on screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <functional>
#include <utility>

#include "core_fixture.h"
#include "program/core/startup/program_state.h"
#include "program/show_data/display_state.h"
#include "program/show/show_input.h"
#include "program/show/show_panel.h"
#include "program/show_data/show_state.h"
#include "program/show/show_window_rules.h"
#include "program/ui/show_windows.h"

namespace {

class ShowWindowsTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        yov::programState().settings.Show = yov::ShowSettings{};
    }
    void TearDown() override {
        yov::programState().settings.Show = yov::ShowSettings{};
        CoreTest::TearDown();
    }
    // The speed panel open, with the line limit it would go back to when cancelled.
    static void openPanel() {
        yov::panelState().PanelOpen = 1;
        yov::panelState().SavedLinV = 4;
        yov::programState().settings.Show.LimLinV[0] = 9;
    }
    static bool panelCancelled() {
        return yov::panelState().PanelOpen == 0 && yov::programState().settings.Show.LimLinV[0] == 4;
    }
};

QSize screenSize() { return QGuiApplication::primaryScreen()->virtualGeometry().size(); }

TEST_F(ShowWindowsTest, WindowedShowOpensAtItsFirstSizeAndResizeRecreatesTheSurfaces) {
    auto view = yov::MakeShowView(0);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    ASSERT_NE(w, nullptr);
    view->clearAndShow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    int32_t width = 0;
    int32_t height = 0;
    view->innerSize(width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Yov"));
    EXPECT_EQ(yov::programState().WindowTable[0].window, w);

    openPanel();
    w->resize(640, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(yov::showState().RecreateRequest, 1);
    EXPECT_TRUE(panelCancelled());
    view->clearAndShow();
    plat::BitmapDesc desc;
    ASSERT_TRUE(plat::GetObject(plat::GetCurrentBitmap(view->screenDc()), desc));
    EXPECT_EQ(desc.width, 640);
    EXPECT_EQ(desc.height, 400);
    view->closeFromProgram();
}

TEST_F(ShowWindowsTest, FullScreenShowCoversTheScreen) {
    auto view = yov::MakeShowView(1);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    const QSize screen = screenSize();
    view->placeOverScreen(false, screen.width(), screen.height());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_EQ(w->size(), screen);
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    // A resize of the full-screen window asks for nothing.
    w->resize(300, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(yov::showState().RecreateRequest, 0);
    view->closeFromProgram();
}

// Keys reach the show's commands as Shift x 256 + key code: what each does to the show tells
// which code arrived.
TEST_F(ShowWindowsTest, KeysReachTheShowsCommands) {
    struct Case {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<bool()> happened;
    };
    const yov::ShowState& ss = yov::showState();
    const Case cases[] = {
        {"F6 starts line by line", Qt::Key_F6, Qt::NoModifier, [&] { return ss.StartMode == 1; }},
        {"F7 starts all lines", Qt::Key_F7, Qt::NoModifier, [&] { return ss.StartMode == 2; }},
        {"7 takes seven single steps", Qt::Key_7, Qt::NoModifier,
         [&] { return ss.StepMode == 1 && ss.StepCountdown == 7; }},
        {"Shift+7 starts seven trains", Qt::Key_7, Qt::ShiftModifier, [&] { return ss.StartCredits == 7; }},
        {"S takes one step", Qt::Key_S, Qt::NoModifier, [&] { return ss.StepCountdown == 1; }},
        {"Ctrl+S is not S", Qt::Key_S, Qt::ControlModifier, [&] { return ss.StepCountdown == 0; }},
        {"Space pauses", Qt::Key_Space, Qt::NoModifier, [&] { return ss.StepMode == 1; }},
        {"Alt+F7 is not F7", Qt::Key_F7, Qt::AltModifier, [&] { return ss.StartMode == 0; }},
        {"Esc stops", Qt::Key_Escape, Qt::NoModifier, [] { return yov::programState().run.StopRequest == 1; }},
        {"Enter stops", Qt::Key_Return, Qt::NoModifier, [] { return yov::programState().run.StopRequest == 1; }},
    };
    // Other keys do not stop the show, so that each key's own command shows.
    yov::programState().settings.Show.NStpKey = {1, 1};
    for (uint8_t mode : {0, 1}) {
        auto view = yov::MakeShowView(mode);
        yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        for (const Case& k : cases) {
            yov::ShowState& s = yov::showState();
            s.StartMode = 0;
            s.StartCredits = 0;
            s.StepMode = 0;
            s.StepCountdown = 0;
            yov::programState().run.StopRequest = 0;
            QTest::keyClick(w, k.key, k.modifiers);
            EXPECT_TRUE(k.happened()) << "mode " << int(mode) << ": " << k.what;
        }
        yov::programState().run.StopRequest = 0;
        view->closeFromProgram();
    }
}

TEST_F(ShowWindowsTest, ClicksAndMovesReachTheShow) {
    // Under DirectDraw a right click asks the next frame step for the popup at its place.
    yov::programState().run.BatchMode = 1;
    auto view = yov::MakeShowView(1);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QTest::mouseClick(w, Qt::RightButton, Qt::ShiftModifier, QPoint(12, 34));
    // A move as the window system delivers it (QTest's moves the pointer, which not every
    // platform reports back).
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 50), w->mapToGlobal(QPointF(40, 50)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    const yov::ShowInputState& input = yov::showInput();
    EXPECT_EQ(input.DisplayRequest, yov::display_request::kPopup);
    EXPECT_EQ(input.RightClickX, 12);
    EXPECT_EQ(input.RightClickY, 34);
    EXPECT_EQ(input.LastX, 40);
    EXPECT_EQ(input.LastY, 50);
    EXPECT_EQ(yov::programState().run.StopRequest, 0) << "neither stops a show whose mode lets them";
    yov::showInput().DisplayRequest = yov::display_request::kNone;
    view->closeFromProgram();
}

TEST_F(ShowWindowsTest, WindowedCloseBoxAsksOnceThenCloses) {
    auto view = yov::MakeShowView(0);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    yov::ProgramState& st = yov::programState();
    EXPECT_FALSE(w->close());
    EXPECT_EQ(st.run.StopRequest, 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->close());           // the main loop's own close: no second request
    EXPECT_EQ(st.run.StopRequest, 0);  // a later show starts clean
}

TEST_F(ShowWindowsTest, FullScreenWindowRefusesEveryCloseButTheProgramsOwn) {
    auto view = yov::MakeShowView(1);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_FALSE(w->close());  // not the user's and not the program's: the system stops the show
    EXPECT_EQ(yov::programState().run.StopRequest, 1);
    EXPECT_TRUE(w->isVisible());
    view->closeFromProgram();
    EXPECT_FALSE(w->isVisible());
}

TEST(ShowCloseRules, Table) {
    struct Case {
        const char* name;
        bool full;
        yov::UnloadMode mode;
        uint8_t stopBefore;
        yov::CloseAnswer answer;
        uint8_t stopAfter;
    };
    using yov::CloseAnswer;
    using yov::UnloadMode;
    const Case cases[] = {
        {"window, first request", false, UnloadMode::User, 0, CloseAnswer::Cancel, 1},
        {"window, stop already asked", false, UnloadMode::User, 1, CloseAnswer::Close, 1},
        {"full, Alt+F4", true, UnloadMode::User, 0, CloseAnswer::Cancel, 0},
        {"full, logging off", true, UnloadMode::System, 0, CloseAnswer::Cancel, 1},
        {"full, the program", true, UnloadMode::Program, 0, CloseAnswer::Close, 0},
    };
    for (const Case& k : cases) {
        uint8_t stop = k.stopBefore;
        const CloseAnswer a = k.full ? yov::FullScreenCloseRequest(k.mode, stop) : yov::WindowedCloseRequest(stop);
        EXPECT_EQ(a, k.answer) << k.name;
        EXPECT_EQ(stop, k.stopAfter) << k.name;
    }
}

TEST_F(ShowWindowsTest, MinimisingNeitherCancelsThePanelNorRecreates) {
    openPanel();
    yov::WindowedResize(true, 0);
    EXPECT_EQ(yov::showState().RecreateRequest, 0);
    EXPECT_EQ(yov::panelState().PanelOpen, 1);
}

TEST_F(ShowWindowsTest, PresentedRectanglesReachTheWindow) {
    auto view = yov::MakeShowView(0);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    view->setBackgroundColour(plat::RGB(20, 40, 60));
    view->clearAndShow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const plat::HDC dc = view->screenDc();
    const plat::HBRUSH brush = plat::CreateSolidBrush(plat::RGB(250, 200, 0));
    const plat::RECT r{100, 50, 300, 110};
    plat::FillRect(dc, &r, brush);
    plat::DeleteObject(brush);
    const LvRect changed{100, 50, 200, 60};
    w->presenter().present(dc, &changed, 1);
    QCoreApplication::processEvents();
    const QImage shown = w->grab().toImage();
    if (const char* out = std::getenv("YOV_SHOW_SCREENSHOT")) shown.save(QString::fromUtf8(out));
    EXPECT_EQ(QColor(shown.pixel(150, 80)), QColor(250, 200, 0));
    EXPECT_EQ(QColor(shown.pixel(10, 10)), QColor(20, 40, 60));
    view->closeFromProgram();
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

TEST_F(ShowWindowsTest, APresentedFrameIsOnScreenWithoutWaitingForTheEventLoop) {
    auto view = yov::MakeShowView(0);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    view->clearAndShow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QCoreApplication::processEvents();
    PaintCounter counter;
    w->installEventFilter(&counter);
    const LvRect changed{10, 10, 40, 20};
    w->presenter().present(view->screenDc(), &changed, 1);
    view->showPresented();
    EXPECT_EQ(counter.paints, 1) << "painted at once, on the show's own thread";
    view->showPresented();
    EXPECT_EQ(counter.paints, 1) << "nothing new, nothing painted";
    w->removeEventFilter(&counter);
    view->closeFromProgram();
}

// The show's own repaints put its frame on screen and nothing more; only a paint the window
// system asks for (an exposure) asks the show to draw its scene anew.
TEST_F(ShowWindowsTest, OnlyAnExposureAsksForTheSceneToBeRepainted) {
    for (const uint8_t mode : {uint8_t{0}, uint8_t{1}}) {
        auto view = yov::MakeShowView(mode);
        yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
        if (mode == 0) {
            view->clearAndShow();
        } else {
            view->placeOverScreen(true, 800, 600);
            view->setFrameSize(800, 600);
        }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        QCoreApplication::processEvents();
        yov::showState().RepaintRequest = 0;
        for (int frame = 0; frame < 3; ++frame) {
            const LvRect changed{10 + 40 * frame, 10, 40, 20};
            w->presenter().present(view->screenDc(), &changed, 1);
            view->showPresented();
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(yov::showState().RepaintRequest, 0) << "mode " << int{mode};
        w->repaint();
        EXPECT_EQ(yov::showState().RepaintRequest, mode == 0 ? yov::FullRepaintMask(yov::showState().FlipCount) : 1)
            << "mode " << int{mode};
        view->closeFromProgram();
    }
}

// Two strips far apart are repainted as two strips, not as everything between them.
TEST_F(ShowWindowsTest, PresentedStripsArePaintedApart) {
    auto view = yov::MakeShowView(0);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    view->clearAndShow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QCoreApplication::processEvents();
    struct RegionRecorder : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
            return false;
        }
    } recorder;
    w->installEventFilter(&recorder);
    const LvRect strips[] = {{0, 20, 800, 30}, {0, 500, 800, 40}};
    w->presenter().present(view->screenDc(), strips, 2);
    view->showPresented();
    w->removeEventFilter(&recorder);
    EXPECT_EQ(recorder.painted, QRegion(0, 20, 800, 30) + QRegion(0, 500, 800, 40));
    view->closeFromProgram();
}

// A page lent under DirectDraw is painted from itself: an exposure shows what the page holds
// now, with no copy of it in between. When the loan ends the window keeps a copy of what the
// page showed, for the repaints still to come.
TEST_F(ShowWindowsTest, ALentPageIsPaintedFromItselfAndCopiedWhenTheLoanEnds) {
    auto view = yov::MakeShowView(1);
    yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
    view->placeOverScreen(true, 800, 600);
    view->setFrameSize(800, 600);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QCoreApplication::processEvents();
    const plat::HBITMAP page = plat::CreateBitmap(800, 600, 1, 32, nullptr);
    const plat::HDC dc = plat::CreateCompatibleDC(plat::HDC{});
    plat::SelectObject(dc, page);
    auto fill = [&](plat::COLORREF colour) {
        const plat::HBRUSH brush = plat::CreateSolidBrush(colour);
        const plat::RECT all{0, 0, 800, 600};
        plat::FillRect(dc, &all, brush);
        plat::DeleteObject(brush);
    };
    auto shownAt = [&](int x, int y) {
        const QImage shown = w->grab().toImage();
        return QColor(shown.pixel(shown.width() * x / 800, shown.height() * y / 600));
    };
    fill(plat::RGB(250, 200, 0));
    const LvRect changed{0, 0, 800, 600};
    w->presenter().showPage(dc, &changed, 1);
    view->showPresented();
    EXPECT_EQ(shownAt(100, 100), QColor(250, 200, 0));
    fill(plat::RGB(0, 90, 180));
    w->repaint();
    EXPECT_EQ(shownAt(100, 100), QColor(0, 90, 180)) << "painted from the page itself";
    w->presenter().showPage(plat::HDC{}, nullptr, 0);
    fill(plat::RGB(255, 255, 255));
    w->repaint();
    EXPECT_EQ(shownAt(100, 100), QColor(0, 90, 180)) << "the copy taken when the loan ended";
    EXPECT_EQ(QColor(w->presenter().snapshot().pixel(5, 5)), QColor(0, 90, 180));
    plat::DeleteDC(dc);
    plat::DeleteObject(page);
    view->closeFromProgram();
}

TEST_F(ShowWindowsTest, TextUnderDirectDrawEndsWithEscOrANewRequest) {
    yov::ShowInputState& input = yov::showInput();
    input.DisplayRequest = yov::display_request::kText;
    input.PendingText = u"Class 4 tank engine\nbuilt 1911";
    yov::showState().FlipCount = 2;
    auto view = yov::MakeShowView(1);
    auto* w = static_cast<yov::ScrFull*>(yov::ShowWindowOf(view.get()));
    view->placeOverScreen(true, 800, 600);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));

    QTimer::singleShot(50, w, [w] {
        EXPECT_EQ(w->TextBoxOpen, 1);
        EXPECT_TRUE(w->DTxt()->isVisible());
        if (const char* out = std::getenv("YOV_SHOW_TEXT_SCREENSHOT")) w->grab().save(QString::fromUtf8(out));
        QTest::keyClick(w->DTxt(), Qt::Key_Escape);
    });
    w->DDMenus();
    EXPECT_EQ(w->TextBoxOpen, 0);
    EXPECT_FALSE(w->DTxt()->isVisible());
    EXPECT_EQ(yov::showState().RepaintRequest, 7);  // every page of the chain afterwards

    input.DisplayRequest = yov::display_request::kText;
    QTimer::singleShot(50, w, [&input] { input.DisplayRequest = yov::display_request::kPopup; });  // the next one
    w->DDMenus();
    EXPECT_EQ(w->TextBoxOpen, 0);
    EXPECT_EQ(input.DisplayRequest, yov::display_request::kPopup);
    yov::showState().FlipCount = 0;
    view->closeFromProgram();
}

TEST(ShowRepaintMasks, EveryPageOfTheChain) {
    EXPECT_EQ(yov::FullRepaintMask(0), 1);
    EXPECT_EQ(yov::FullRepaintMask(1), 3);
    EXPECT_EQ(yov::FullRepaintMask(2), 7);
}

}  // namespace
