// Stock windows without the engine: a stock of N generated entries, the window table and the
// stock windows' state cleared, the engine's menu marks recorded, windows over a fake view
// whose scroll bar raises its change the way the window system does.
#pragma once

#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "program/core/startup/main_state.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup_tables.h"
#include "program/core/windows/window_dispatch.h"
#include "program/stock_data/stock_state.h"
#include "program/stock/stock_seams.h"
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

class FakeView : public yov::StockWindowView {
public:
    FakeView() : widget(std::make_unique<QWidget>()) {}
    std::unique_ptr<QWidget> widget;
    FakeBar bar;
    bool unloaded = false;
    bool hidden = false;
    bool scrollEnabled = true;
    int32_t page = 0;
    std::u16string caption;
    int paints = 0;

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
};

// A window with its view, the bar wired to the window's change handler.
struct OpenedWindow {
    std::unique_ptr<FakeView> view = std::make_unique<FakeView>();
    std::unique_ptr<yov::StockWindow> window;
    bool loaded = false;
};

class StockWindowTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        yov::BuildStartupTables();
        yov::serviceState() = yov::ServiceState{};
        yov::stockWindows() = yov::StockWindowsState{};
        yov::stockState() = {};
        savedSeams_ = yov::stockSeams();
        savedCalls_ = yov::stockEngineCalls();
        yov::stockSeams() = {};
        yov::StockEngineCalls& e = yov::stockEngineCalls();
        e.checkMenu = [this](int32_t id, int32_t state) { checks[id] = state; };
        e.enableMenu = [this](int32_t id, int32_t state) { enables[id] = state; };
        e.menuKey = [](int32_t, int32_t id) { return id == 4200 ? std::u16string(u"SRCH") : std::u16string(); };
        e.startSubclass = [this](uintptr_t w, uint8_t, uint8_t slot, int16_t) { subclassed.push_back({w, slot}); };
        cacheEngine_.passOn = {"*"};  // the fixture's engine opens the cache
        yov::programState().Shared.PictureHeight = 30;
        yov::programState().ScreenWidthPx = 1600;
        yov::programState().ScreenHeightPx = 1200;
        yov::laterParts() = {};
        // The last window's closing posts the shutdown; it must not end the tests.
        yov::setProcessEnd([](int32_t) {});
    }
    void TearDown() override {
        windows.clear();
        yov::stockSeams() = savedSeams_;
        yov::stockEngineCalls() = savedCalls_;
        yov::stockWindows() = yov::StockWindowsState{};
        yov::serviceState() = yov::ServiceState{};
        yov::UnloadServiceWindow();
        yov::setProcessEnd({});
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
        w->window = std::make_unique<yov::StockWindow>(*w->view);
        yov::StockWindow* sw = w->window.get();
        w->view->bar.onChange = [sw] { sw->VScr_Change(); };
        w->loaded = sw->Load();
        windows.push_back(std::move(w));
        return *windows.back();
    }

    std::map<int32_t, int32_t> checks;
    std::map<int32_t, int32_t> enables;
    std::vector<std::pair<uintptr_t, int>> subclassed;
    size_t cacheOpens() const { return cacheEngine_.callsOf("OpenCache").size(); }
    std::vector<std::unique_ptr<OpenedWindow>> windows;

private:
    engine_test::RecordingEngine cacheEngine_;
    yov::StockSeams savedSeams_;
    yov::StockEngineCalls savedCalls_;
};

}  // namespace stock_window_test
