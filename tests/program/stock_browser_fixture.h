// Stock windows with their commands, search and input over fake controls: what the logic asks
// of the window system (focus, popups, drags, tips, the status bar) is recorded; searches
// answer the pattern question from a queue; the demo stock is read by the real engine when a
// test asks for it.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "stock_selection.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/windows/window_parts.h"
#include "program/core/params/param_table.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_search.h"
#include "stock_load_pumps.h"
#include "stock_window_fixture.h"
#include "program/core/binding/engine_events.h"

namespace stock_browser_test {

class StockBrowserTest : public stock_window_test::StockWindowTest {
protected:
    void SetUp() override { StockWindowTest::SetUp(); }
    void TearDown() override {
        windows.clear();
        if (engineStarted_) yov::lv::CloseDLL();
        engineStarted_ = false;
        loadPumps_.reset();
        StockWindowTest::TearDown();
    }

    // A window over the stock showing `cells` rows from `top`, laid out and drawn once; its
    // status bar's notes go to `notes`.
    yov::StockWindow& Window(int32_t cells = 10, int32_t top = 1) {
        stock_window_test::OpenedWindow& o = Open();
        EXPECT_TRUE(o.loaded);
        o.view->withStatusBar = true;
        o.view->statusBar.notes = &notes;
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
        yov::paramTable().Base = 0;
        yov::paramTable().ClearParams();
        loadPumps_.emplace();
        yov::ProgramState& st = yov::programState();
        st.Shared.BuiltinDescKeys = 7;
        st.Shared.CancelLoad = 0;
        ASSERT_EQ(yov::InitEngineOnProgramArrays(nullptr, nullptr), 0);
        engineStarted_ = true;
        yov::SetStockName(core_test::u16(std::string(YOV_DEMO_DATA) + "/demo.stk"));
        yov::LoadStock(0);
        ASSERT_EQ(st.Shared.StockCount, 15);
    }

    std::vector<int32_t>& focused = controls.focused;
    std::vector<engine_fake::Popup>& popups = engine.popups;
    std::vector<std::u16string>& drags = controls.drags;
    std::vector<std::u16string>& categoryDrags = controls.categoryDrags;
    // The text window the program opens for a description: its caption is the entry's name.
    struct TextWindows : yov::WindowParts {
        void showTextWindow(const yov::TextWindowRequest& request) override { captions.push_back(request.caption); }
        std::vector<std::u16string> captions;
    } textWindows_;
    yov::ScopedInstall<yov::WindowParts> useTextWindows_{textWindows_};
    std::vector<std::u16string>& descriptions = textWindows_.captions;  // the captions of the text windows opened
    std::vector<std::u16string> notes;
    std::deque<std::u16string>& answers = controls.answers;
    int& questions = controls.questions;
    int& beeps = controls.beeps;

private:
    std::optional<program_test::CountedEventPumps> loadPumps_;  // while the demo stock is loaded
    bool engineStarted_ = false;
};

}  // namespace stock_browser_test
