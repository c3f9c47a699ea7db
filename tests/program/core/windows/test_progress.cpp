#include "program/core/windows/progress.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "lumvatek/shared.h"
#include "modal_driver.h"
#include "stepped_clock.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/progress_frm.h"
#include "engine_fake.h"
#include "program/core/startup/program_state.h"

namespace {

using yov::ProgressDisplay;

// The engine's default text of a key is the key in angle brackets.
class KeyTexts : public engine_test::EngineFake {
public:
    LvResult GetDefTxt(const char* key, char* buffer, int32_t capacity) override {
        const std::string text = "<" + std::string(key) + ">";
        const auto n = std::min(static_cast<int32_t>(text.size()), capacity);
        std::copy_n(text.data(), n, buffer);
        return n;
    }
};

// A progress window that records what it is told. Every character is 10 pixels wide.
struct FakeWindow {
    std::u16string lines[3];
    int width = 100;
    int centredWidth = -1;
    int centreCalls = 0;
    bool shown = false;
    int modelessShows = 0;
    int modalShows = 0;
    int repaints = 0;
    int hides = 0;
    int screenWidth = 1000;
    std::function<void()> whileModal;
};

class FakeView : public yov::ProgressView {
public:
    explicit FakeView(FakeWindow* w) : w_(w) {}
    void setLine(int line, const std::u16string& text) override { w_->lines[line - 1] = text; }
    int textWidthPx(const std::u16string& text) const override { return 10 * static_cast<int>(text.size()); }
    int widthPx() const override { return w_->width; }
    int screenWidthPx() const override { return w_->screenWidth; }
    void centreWithWidth(int width) override {
        w_->width = width;
        w_->centredWidth = width;
        ++w_->centreCalls;
    }
    bool isShown() const override { return w_->shown; }
    void showModeless() override {
        w_->shown = true;
        ++w_->modelessShows;
    }
    void showModal() override {
        ++w_->modalShows;
        w_->shown = true;
        if (w_->whileModal) w_->whileModal();
        w_->shown = false;
    }
    void hide() override {
        w_->shown = false;
        ++w_->hides;
    }
    void repaint() override { ++w_->repaints; }

private:
    FakeWindow* w_;
};

// The busy pointer of the test and its recording window.
class FakeEnv : public yov::ProgressEnv {
public:
    FakeEnv(FakeWindow* window, bool* busy) : window_(window), busy_(busy) {}
    std::unique_ptr<yov::ProgressView> makeView() override { return std::make_unique<FakeView>(window_); }
    void setBusyPointer(bool busy) override { *busy_ = busy; }

private:
    FakeWindow* window_;
    bool* busy_;
};

class Progress : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = 5000;
        shared_.LastTickMs.store(static_cast<int32_t>(clock_));
        // Stock entries E1 .. E9 for the progress lines' names.
        SharedArrays& a = yov::programState().Arrays;
        a.Stock.redim(10);
        for (int32_t i = 1; i <= 9; ++i) a.Stock[i].Name = u"E" + std::u16string(1, static_cast<char16_t>(u'0' + i));
        shared_.StockCount = 9;
        display_ = std::make_unique<ProgressDisplay>(std::make_unique<FakeEnv>(&window_, &busy_));
    }
    void tick(uint32_t ms) {
        clock_ += ms;
        shared_.LastTickMs.store(static_cast<int32_t>(clock_));
    }

    SharedState& shared_ = yov::programState().Shared;
    KeyTexts texts_;
    FakeWindow window_;
    program_test::SteppedClock clock;  // the program's tick count and event pumps
    int64_t& clock_ = clock.ms;
    int& pumps_ = clock.pumps;
    bool busy_ = false;
    std::unique_ptr<ProgressDisplay> display_;
};

TEST_F(Progress, ThreeShortTextsGiveTheMinimumWidthCentred) {
    display_->BeginProgress(u"two", u"one", u"three", false);
    EXPECT_EQ(window_.centredWidth, 240);  // 3600 twips
    EXPECT_EQ(window_.lines[0], u"one");
    EXPECT_EQ(window_.lines[1], u"two");
    EXPECT_EQ(window_.lines[2], u"three");
    EXPECT_TRUE(window_.shown);
    EXPECT_TRUE(busy_);
    EXPECT_TRUE(display_->labelVisible());
}

TEST_F(Progress, ALongTextWidensTheWindowAndItNeverNarrowsWhileShown) {
    display_->BeginProgress(std::u16string(30, u'x'), u"", u"", false);
    EXPECT_EQ(window_.centredWidth, 300 + 20);
    display_->ShowProgress(u"short", u"", u"");
    EXPECT_EQ(window_.centredWidth, 320);
    EXPECT_EQ(window_.lines[1], std::u16string(30, u'x'));  // empty texts leave their lines
}

TEST_F(Progress, BeginClearsTheCancelFlag) {
    shared_.CancelLoad = 1;
    display_->BeginProgress(u"Loading", u"", u"", false);
    EXPECT_EQ(shared_.CancelLoad, 0);
}

TEST_F(Progress, SuppressedShowsNothing) {
    display_->Suppress = 1;
    shared_.CancelLoad = 1;
    display_->BeginProgress(u"Loading", u"", u"", false);
    display_->ShowProgress(u"More", u"", u"");
    EXPECT_EQ(window_.centreCalls, 0);
    EXPECT_EQ(window_.modelessShows, 0);
    EXPECT_FALSE(display_->labelVisible());
    EXPECT_EQ(shared_.CancelLoad, 1);
}

TEST_F(Progress, MessagesArePumpedAtMostOnceASecond) {
    display_->BeginProgress(u"a", u"", u"", false);
    const int afterBegin = pumps_;
    tick(500);
    display_->ShowProgress(u"b", u"", u"");
    EXPECT_EQ(pumps_, afterBegin);
    EXPECT_EQ(window_.repaints, 1);
    tick(501);  // 1001 ms since the pump
    display_->ShowProgress(u"c", u"", u"");
    EXPECT_EQ(pumps_, afterBegin + 1);
    display_->BeginProgress(u"d", u"", u"", false);  // already shown: repaint only
    EXPECT_EQ(window_.modelessShows, 1);
}

TEST_F(Progress, EndHidesEmptiesAndRestoresThePointer) {
    display_->BeginProgress(u"a", u"b", u"c", false);
    display_->EndProgress();
    EXPECT_FALSE(window_.shown);
    EXPECT_EQ(window_.lines[0], u"");
    EXPECT_EQ(window_.lines[1], u"");
    EXPECT_EQ(window_.lines[2], u"");
    EXPECT_FALSE(busy_);
    EXPECT_FALSE(display_->labelVisible());
    const int hides = window_.hides;
    display_->EndProgress();  // not visible: nothing
    EXPECT_EQ(window_.hides, hides);
}

TEST_F(Progress, EndInBatchModeLeavesTheWindowAsItIs) {
    display_->BeginProgress(u"a", u"", u"", false);
    yov::programState().run.BatchMode = 1;
    display_->EndProgress();
    EXPECT_TRUE(window_.shown);
    EXPECT_EQ(window_.hides, 0);
}

TEST_F(Progress, ModalBeginReturnsWhenTheWindowIsHidden) {
    window_.whileModal = [&] { EXPECT_TRUE(display_->labelVisible()); };
    display_->BeginProgress(u"a", u"", u"", true);
    EXPECT_EQ(window_.modalShows, 1);
    EXPECT_FALSE(display_->labelVisible());
}

TEST_F(Progress, CountedProgressWaitsFourHundredThenTwoHundredMilliseconds) {
    display_->SetProgressText(u"TTL", u"DET", 10);
    display_->StepProgress(1);
    EXPECT_EQ(window_.modelessShows, 0);
    tick(400);
    display_->StepProgress(2);  // 400 is not more than 400
    EXPECT_FALSE(display_->countedOpen());
    tick(1);
    display_->StepProgress(3);
    ASSERT_TRUE(display_->countedOpen());
    EXPECT_EQ(window_.lines[0], u"<TTL>");
    EXPECT_EQ(window_.lines[1], u"<DET>");
    EXPECT_EQ(window_.lines[2], u"3 / 10  E3");
    tick(200);
    display_->StepProgress(4);
    EXPECT_EQ(window_.lines[2], u"3 / 10  E3");
    tick(1);
    display_->StepProgress(5);
    EXPECT_EQ(window_.lines[2], u"5 / 10  E5");
    EXPECT_EQ(window_.modelessShows, 1);
}

TEST_F(Progress, TotalZeroShowsOnlyTheCountAndAnEmptyDetailTakesTheName) {
    display_->SetProgressText(u"TTL", u"", 0);
    tick(401);
    display_->StepProgress(7);
    EXPECT_EQ(display_->detailLine(), u"E7");
    EXPECT_EQ(display_->thirdLine(), u"1");
}

TEST_F(Progress, TickDifferenceIsTakenModulo2To31) {
    clock_ = 0x7FFFFF00u;
    shared_.LastTickMs.store(static_cast<int32_t>(clock_));
    display_->SetProgressText(u"T", u"D", 0);
    tick(0x200);  // wraps past 2^31
    display_->StepProgress(1);
    EXPECT_TRUE(display_->countedOpen());
}

TEST_F(Progress, CountedWindowGrowsButIsNotMovedForShorterLines) {
    display_->SetProgressText(u"T", std::u16string(40, u'd'), 0);
    tick(401);
    display_->StepProgress(1);
    EXPECT_EQ(window_.centredWidth, 420);  // 40 characters, too long for a text key, and the padding
    const int centred = window_.centreCalls;
    display_->SetProgressDetail(u"x", 0);  // redraws while open, narrower: stays
    EXPECT_EQ(window_.centreCalls, centred);
    display_->SetProgressDetail(std::u16string(50, u'y'), 0);
    EXPECT_EQ(window_.centredWidth, 520);
}

TEST_F(Progress, CountedWindowIsAtMostTheScreenWide) {
    window_.screenWidth = 300;
    display_->SetProgressText(u"T", std::u16string(60, u'd'), 0);
    tick(401);
    display_->StepProgress(1);
    EXPECT_EQ(window_.centredWidth, 300);
}

TEST_F(Progress, RefreshEndsTheCountedProgress) {
    display_->SetProgressText(u"T", u"D", 0);
    tick(401);
    display_->StepProgress(1);
    display_->RefreshProgressWindow();
    EXPECT_FALSE(display_->countedOpen());
    EXPECT_FALSE(window_.shown);
}

// ---------------------------------------------------------------------------------------
// The real window.

class ProgressWindow : public ::testing::Test {
protected:
    void SetUp() override { yov::progressDisplay().Suppress = 0; }
    void TearDown() override { yov::progressDisplay().EndProgress(); }
    SharedState& shared_ = yov::programState().Shared;
    yov_test::ModalWatchdog watchdog_;
};

TEST_F(ProgressWindow, EscSetsTheCancelFlagOfAModalProgress) {
    yov_test::whenModal([&](QWidget* w) {
        EXPECT_EQ(w, yov::progressForm());
        EXPECT_EQ(shared_.CancelLoad, 0);
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_EQ(shared_.CancelLoad, 1);
        EXPECT_TRUE(w->isVisible());  // Esc only asks; the work ends the progress
        yov::progressDisplay().EndProgress();
    });
    yov::progressDisplay().BeginProgress(u"Loading stock list", u"", u"", true);
    EXPECT_FALSE(yov::progressForm()->isVisible());
    EXPECT_EQ(yov::modalState().ModalDepth, 0);
}

TEST_F(ProgressWindow, ModelessProgressShowsTheLinesCentred) {
    yov::progressDisplay().BeginProgress(u"second", u"first", u"", false);
    yov::ShowFrm* f = yov::progressForm();
    ASSERT_TRUE(f->isVisible());
    EXPECT_EQ(f->Lab1->text(), QStringLiteral("first"));
    EXPECT_EQ(f->Lab2->text(), QStringLiteral("second"));
    EXPECT_GE(f->width(), 240);
    EXPECT_EQ(f->Lab2->width(), f->width());
    QTest::keyClick(f, Qt::Key_Escape);
    EXPECT_EQ(shared_.CancelLoad, 1);
    yov::progressDisplay().EndProgress();
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(f->Lab1->text(), QString());
}

// The shutdown unloads every window, the progress window too; a program started again in the
// same process gets a new one.
TEST_F(ProgressWindow, AProgressAfterTheWindowWasUnloadedMakesItAgain) {
    delete yov::progressForm();
    yov::progressDisplay().BeginProgress(u"Loading stock list", u"", u"", false);
    yov::ShowFrm* f = yov::progressForm();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->Lab2->text(), QStringLiteral("Loading stock list"));
    yov::progressDisplay().EndProgress();
}

}  // namespace
