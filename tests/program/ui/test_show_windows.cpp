// The show windows under the platform the tests run on (offscreen, or Xvfb when run by hand
// with QT_QPA_PLATFORM=xcb): their sizes, the re-creation a resize asks for, keys turned into
// the show's command codes, close requests told apart, and frames put on screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <utility>

#include "core_fixture.h"
#include "program/core/startup/program_state.h"
#include "program/show/display_state.h"
#include "program/show/show_state.h"
#include "program/show/show_window_rules.h"
#include "program/ui/show_windows.h"

namespace {

class ShowWindowsTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        yov::ShowInputLink& link = yov::showInputLink();
        link = {};
        link.keyCommand = [this](int32_t code) { codes.push_back(code); };
        link.requestRecreate = [this] { ++recreates; };
        link.panelOpen = [this] { return panelOpen; };
        link.panelCommand = [this](int32_t index) {
            panelCommands.push_back(index);
            panelOpen = false;
        };
        link.requestRepaint = [this](uint8_t mask) { repaints.push_back(mask); };
    }
    void TearDown() override {
        yov::showInputLink() = {};
        CoreTest::TearDown();
    }

    std::vector<int32_t> codes;
    std::vector<int32_t> panelCommands;
    std::vector<uint8_t> repaints;
    int recreates = 0;
    bool panelOpen = false;
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

    panelOpen = true;
    w->resize(640, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(recreates, 1);
    EXPECT_EQ(panelCommands, std::vector<int32_t>{1});  // the panel is cancelled
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
    EXPECT_EQ(recreates, 0);
    view->closeFromProgram();
}

TEST_F(ShowWindowsTest, KeysReachTheShowAsShiftTimes256PlusKeyCode) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int32_t code;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, 65},
        {Qt::Key_A, Qt::ShiftModifier, 256 + 65},
        {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_Return, Qt::NoModifier, 13},
        {Qt::Key_Space, Qt::NoModifier, 32},
        {Qt::Key_F1, Qt::NoModifier, 112},
        {Qt::Key_Left, Qt::AltModifier, 4 * 256 + 37},
        {Qt::Key_S, Qt::ControlModifier, 2 * 256 + 83},
        {Qt::Key_7, Qt::NoModifier, 55},
        {Qt::Key_PageDown, Qt::ShiftModifier | Qt::ControlModifier, 3 * 256 + 34},
    };
    for (uint8_t mode : {0, 1}) {
        auto view = yov::MakeShowView(mode);
        yov::ShowWindowBase* w = yov::ShowWindowOf(view.get());
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        for (const Case& k : cases) {
            codes.clear();
            QTest::keyClick(w, k.key, k.modifiers);
            // The modifier keys themselves arrive first, as key presses of their own.
            ASSERT_FALSE(codes.empty());
            EXPECT_EQ(codes.back(), k.code) << "mode " << int(mode) << " key " << k.key;
        }
        view->closeFromProgram();
    }
}

TEST_F(ShowWindowsTest, ClicksAndMovesReachTheStopRules) {
    std::vector<std::array<int32_t, 4>> clicks;
    std::vector<std::array<int32_t, 4>> moves;
    yov::showInputLink().mouseClick = [&](int32_t b, int32_t s, int32_t x, int32_t y) {
        clicks.push_back({b, s, x, y});
    };
    yov::showInputLink().mouseMove = [&](int32_t b, int32_t s, int32_t x, int32_t y) { moves.push_back({b, s, x, y}); };
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
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], (std::array<int32_t, 4>{2, 1, 12, 34}));
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back()[2], 40);
    EXPECT_EQ(moves.back()[3], 50);
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
    panelOpen = true;
    yov::WindowedResize(true, 0);
    EXPECT_EQ(recreates, 0);
    EXPECT_TRUE(panelCommands.empty());
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
        repaints.clear();
        for (int frame = 0; frame < 3; ++frame) {
            const LvRect changed{10 + 40 * frame, 10, 40, 20};
            w->presenter().present(view->screenDc(), &changed, 1);
            view->showPresented();
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(repaints.empty()) << "mode " << int{mode};
        w->repaint();
        ASSERT_EQ(repaints.size(), 1u) << "mode " << int{mode};
        EXPECT_EQ(repaints[0], mode == 0 ? yov::FullRepaintMask(yov::showState().FlipCount) : 1);
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
    yov::ShowInputLink& link = yov::showInputLink();
    uint8_t request = 3;
    link.takeDisplayRequest = [&] { return std::exchange(request, uint8_t{0}); };
    link.displayRequestPending = [&] { return request != 0; };
    link.pendingText = [] { return std::u16string(u"Class 4 tank engine\nbuilt 1911"); };
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
    ASSERT_FALSE(repaints.empty());
    EXPECT_EQ(repaints.back(), 7);  // every page of the chain afterwards

    request = 3;
    QTimer::singleShot(50, w, [&request] { request = 1; });  // the next request arrives
    w->DDMenus();
    EXPECT_EQ(w->TextBoxOpen, 0);
    EXPECT_EQ(request, 1);
    yov::showState().FlipCount = 0;
    view->closeFromProgram();
}

TEST(ShowRepaintMasks, EveryPageOfTheChain) {
    EXPECT_EQ(yov::FullRepaintMask(0), 1);
    EXPECT_EQ(yov::FullRepaintMask(1), 3);
    EXPECT_EQ(yov::FullRepaintMask(2), 7);
}

}  // namespace
