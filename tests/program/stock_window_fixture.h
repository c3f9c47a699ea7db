// Stock windows without the engine: a stock of N generated entries, the window table and the
// stock windows' state cleared, the engine's menu calls recorded by a fake engine, windows
// over a fake view whose scroll bar raises its change the way the window system does and
// whose status bar (where a test asks for one) records what it shows.
#pragma once

#include <QWidget>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup_tables.h"
#include "program/stock_data/stock_state.h"
#include "program/stock_data/stock_tables.h"
#include "menu_engine_fake.h"
#include "process_end_stand_ins.h"
#include "program/core/binding/engine.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_browser_state.h"
#include "program/stock/stock_status_bar.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"
#include "recording_engine.h"

namespace stock_window_test {

// A scroll bar of 16-bit values from 1, calling the window's change handler on a change.
class FakeBar : public yov::ScrollBarPort {
public:
    std::function<void()> onChange;
    int32_t maximum = 1;
    int32_t v = 1;

    int32_t value() const override { return v; }
    void setValue(int32_t value) override {
        const int32_t clamped = std::clamp(value, 1, maximum);
        if (clamped == v) return;
        v = clamped;
        if (onChange) onChange();
    }
    void setMaximum(int32_t m) override {
        maximum = std::max(m, 1);
        if (v > maximum) setValue(maximum);
    }
    // The user drags the thumb or clicks an arrow.
    void userMoves(int32_t value) { setValue(value); }
};

// A status bar without a toolkit: what it was asked to show, and its short notes.
class RecordingBar : public yov::StockStatusBar {
public:
    std::vector<std::u16string>* notes = nullptr;  // each note as its timer starts
    // At each showing: the simple text, or "" while the panels show.
    std::vector<std::u16string> shownTexts;
    bool failOnShow = false;  // showing throws, as a control gone wrong would
    void shown() override {
        if (failOnShow) throw std::runtime_error("bar gone");
        shownTexts.push_back(Style == 1 ? SimpleText : u"");
    }
    void restartNoteTimer(int32_t) override {
        if (notes != nullptr) notes->push_back(SimpleText);
    }
};

// What the windows of a test asked of their controls; the pattern questions are answered from
// a queue (empty: nothing entered).
struct ControlsLog {
    std::vector<int32_t> focused;
    std::vector<std::u16string> drags;
    std::vector<std::u16string> categoryDrags;
    std::deque<std::u16string> answers;
    int questions = 0;
    int beeps = 0;
};

class FakeView : public yov::StockWindowView {
public:
    FakeView() : widget(std::make_unique<QWidget>()) {}
    ControlsLog* log = nullptr;
    std::unique_ptr<QWidget> widget;
    FakeBar bar;
    bool unloaded = false;
    bool hidden = false;
    bool scrollEnabled = true;
    int32_t page = 0;
    std::u16string caption;
    int paints = 0;
    RecordingBar statusBar;
    bool withStatusBar = false;

    QWidget* form() override { return widget.get(); }
    yov::ScrollBarPort& scrollBar() override { return bar; }
    void setScrollEnabled(bool enabled) override { scrollEnabled = enabled; }
    void setScrollPage(int32_t step) override { page = step; }
    int32_t innerWidth() const override { return 600; }
    double categoryTextWidth(const std::u16string& text) override { return 3.5 * static_cast<double>(text.size()); }
    uintptr_t statusBarWindow() override { return 77; }
    void setCaption(const std::u16string& c) override { caption = c; }
    void paintRows() override { ++paints; }
    void hideForm() override { hidden = true; }
    void unloadForm() override { unloaded = true; }
    yov::StockStatusBar* statusBarControl() override { return withStatusBar ? &statusBar : nullptr; }
    void focusCell(int32_t cell) override {
        if (log != nullptr) log->focused.push_back(cell);
    }
    QWidget* cellWidget(int32_t) override { return nullptr; }
    void trackCell(int32_t) override {}
    void dragEntries(int32_t, const std::u16string& text) override {
        if (log != nullptr) log->drags.push_back(text);
    }
    void dragCategory(int32_t, const std::u16string& text) override {
        if (log != nullptr) log->categoryDrags.push_back(text);
    }
    std::u16string askPattern() override {
        if (log == nullptr) return {};
        ++log->questions;
        if (log->answers.empty()) return {};
        std::u16string a = log->answers.front();
        log->answers.pop_front();
        return a;
    }
    void beep() override {
        if (log != nullptr) ++log->beeps;
    }
};

// A window with its view, the bar wired to the window's change handler.
struct OpenedWindow {
    std::unique_ptr<FakeView> view = std::make_unique<FakeView>();
    std::unique_ptr<yov::StockWindow> window;
    bool loaded = false;
};

class StockWindowTest : public core_test::CoreTest {
    yov::FreshStockBrowserState freshStock_;  // each test on a state of its own
protected:
    void SetUp() override {
        CoreTest::SetUp();
        yov::BuildStartupTables();
        engine.menuKeys[4200] = "SRCH";
        useEngine_.emplace(engine);
        // Above the menus' engine: the cache opens are counted and answered without the library.
        cacheEngine_.emplace();
        cacheEngine_->passOn = {"CheckItem",   "CloseCache",    "CloseDLL",      "CloseFrm",
                                "CloseLib32",  "DeleteSurface", "EnableMenu",    "GetDLLVersion",
                                "InitDLL",     "LookStockIdx",  "OpenFrm",       "PrepareLookStock",
                                "SetMenuItem", "SetMenuTxt",    "SetXColMethod", "SetXColor"};
        // The stock tables as before any load: another test may have left its categories.
        yov::ResetStockTables();
        yov::programState().Shared.PictureHeight = 30;
        yov::programState().machine.ScreenWidthPx = 1600;
        yov::programState().machine.ScreenHeightPx = 1200;
    }
    void TearDown() override {
        windows.clear();
        cacheEngine_.reset();
        useEngine_.reset();
        yov::serviceState() = yov::ServiceState{};
        yov::UnloadServiceWindow();
        CoreTest::TearDown();
    }

    // A stock of count entries named "E1", "E2", ...
    void MakeStock(int32_t count) {
        yov::ProgramState& st = yov::programState();
        st.Arrays.Stock.redim(count);
        st.Shared.StockCount = count;
        for (int32_t i = 1; i <= count; ++i) st.Arrays.Stock[i].Name = u"E" + plat::widen(std::to_string(i));
    }

    OpenedWindow& Open() {
        auto w = std::make_unique<OpenedWindow>();
        w->view->log = &controls;
        w->window = std::make_unique<yov::StockWindow>(*w->view);
        yov::StockWindow* sw = w->window.get();
        w->view->bar.onChange = [sw] { sw->VScr_Change(); };
        w->loaded = sw->Load();
        windows.push_back(std::move(w));
        return *windows.back();
    }

    engine_fake::MenuEngine engine;
    std::map<int32_t, int32_t>& checks = engine.checks;
    std::map<int32_t, int32_t>& enables = engine.enables;
    std::vector<engine_fake::Subclassed>& subclassed = engine.subclassed;
    size_t cacheOpens() const { return cacheEngine_->callsOf("OpenCache").size(); }
    ControlsLog controls;
    std::vector<std::unique_ptr<OpenedWindow>> windows;

private:
    std::optional<yov::ScopedEngine> useEngine_;
    std::optional<engine_test::RecordingEngine> cacheEngine_;  // made after, gone before useEngine_
    // The last window's closing posts the shutdown; it must not end the tests.
    program_test::RecordedProcessEnds processEnds_;
};

}  // namespace stock_window_test
