// Stock windows with their commands, search and input over fake controls: what the logic asks
// of the window system (focus, popups, drags, tips, the status bar) is recorded; searches
// answer the pattern question from a queue; the demo stock is read by the real engine when a
// test asks for it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "stock_selection.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/core_hooks.h"
#include "program/core/params/param_table.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_search.h"
#include "stock_window_fixture.h"
#include "program/core/binding/engine_events.h"

namespace stock_browser_test {

struct Popup {
    int16_t slot;
    int32_t menu;
    int32_t x;
    int32_t y;
};

class StockBrowserTest : public stock_window_test::StockWindowTest {
protected:
    void SetUp() override {
        StockWindowTest::SetUp();
        savedInput_ = yov::stockInputCalls();
        savedSearch_ = yov::stockSearchCalls();
        savedCommands_ = yov::stockCommandSeams();
        savedLoadHooks_ = yov::stockLoadHooks();
        yov::searchCriterion() = {};
        yov::stockCommandState() = {};
        yov::StockInputCalls& in = yov::stockInputCalls();
        in = {};
        in.focusCell = [this](yov::StockWindow&, int32_t cell) { focused.push_back(cell); };
        in.showPopup = [this](int16_t slot, int32_t menu, int32_t x, int32_t y, QWidget*) {
            popups.push_back({slot, menu, x, y});
        };
        in.dragEntries = [this](yov::StockWindow&, int32_t, const std::u16string& text) { drags.push_back(text); };
        in.dragCategory = [this](yov::StockWindow&, int32_t, const std::u16string& text) {
            categoryDrags.push_back(text);
        };
        in.showDescription = [this](int32_t entry) { descriptions.push_back(entry); };
        yov::StockSearchCalls& s = yov::stockSearchCalls();
        s.askPattern = [this] {
            ++questions;
            if (answers.empty()) return std::u16string();
            std::u16string a = answers.front();
            answers.pop_front();
            return a;
        };
        s.beep = [this] { ++beeps; };
        yov::stockCommandSeams() = {};
        yov::stockSeams().statusNote = [this](yov::StockWindow&, const std::u16string& text) { notes.push_back(text); };
        yov::WireStockCommands();
    }
    void TearDown() override {
        windows.clear();
        if (engineStarted_) yov::lv::CloseDLL();
        engineStarted_ = false;
        yov::stockInputCalls() = savedInput_;
        yov::stockSearchCalls() = savedSearch_;
        yov::stockCommandSeams() = savedCommands_;
        yov::searchCriterion() = {};
        yov::stockLoadHooks() = savedLoadHooks_;
        StockWindowTest::TearDown();
    }

    // A window over the stock showing `cells` rows from `top`, laid out and drawn once.
    yov::StockWindow& Window(int32_t cells = 10, int32_t top = 1) {
        stock_window_test::OpenedWindow& o = Open();
        EXPECT_TRUE(o.loaded);
        yov::StockWindow& w = *o.window;
        w.CellCount = cells;
        w.Rfsh0();
        w.SetVscrValue(top);
        return w;
    }

    bool Cmd(yov::StockWindow& w, int32_t code, int32_t arg1 = 0, int32_t arg3 = 0, int32_t arg4 = 0) {
        return yov::StockFCmd(w, code, arg1, 0, arg3, arg4);
    }

    // The entries selected in the window.
    std::vector<int32_t> Selected(const yov::StockWindow& w) const { return stock_test::SelectedEntries(w); }
    std::vector<std::u16string> SelectedNames(const yov::StockWindow& w) const {
        std::vector<std::u16string> out;
        for (int32_t i : Selected(w)) out.push_back(yov::programState().Arrays.Stock[i].Name);
        return out;
    }

    // The demo stock as the real engine reads it.
    void LoadDemo() {
        yov::CoreHooks& h = yov::coreHooks();
        h.getParam = [](std::u16string_view aliases, std::u16string_view def) { return yov::GetParam(aliases, def); };
        h.withParams = [](std::u16string_view text, const std::function<void()>& use) {
            yov::paramTable().WithParams(text, use);
        };
        yov::paramTable().Base = 0;
        yov::ClearParams();
        yov::stockLoadHooks().pumpEvents = [] {};
        yov::ProgramState& st = yov::programState();
        st.Shared.BuiltinDescKeys = 7;
        st.Shared.CancelLoad = 0;
        ASSERT_EQ(yov::InitEngineOnProgramArrays(nullptr, nullptr), 0);
        engineStarted_ = true;
        yov::SetStockName(core_test::u16(std::string(YOV_DEMO_DATA) + "/demo.stk"));
        yov::LoadStock(0);
        ASSERT_EQ(st.Shared.StockCount, 15);
    }

    std::vector<int32_t> focused;
    std::vector<Popup> popups;
    std::vector<std::u16string> drags;
    std::vector<std::u16string> categoryDrags;
    std::vector<int32_t> descriptions;
    std::vector<std::u16string> notes;
    std::deque<std::u16string> answers;
    int questions = 0;
    int beeps = 0;

private:
    yov::StockInputCalls savedInput_;
    yov::StockSearchCalls savedSearch_;
    yov::StockCommandSeams savedCommands_;
    yov::StockLoadHooks savedLoadHooks_;
    bool engineStarted_ = false;
};

}  // namespace stock_browser_test
