// Stock windows over a stock loaded by the real engine and program loader, with their rows
// built by the real picture builder from the demo's pictures: a fake view whose rows record
// what they are asked to show and measure six pixels a character.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/service_window.h"
#include "program/scene/picture_slot.h"
#include "program/scene/vehicle_build.h"
#include "program/stock/stock_drawing.h"
#include "program/stock/stock_browser_state.h"
#include "program/stock/stock_rows_view.h"
#include "menu_engine_fake.h"
#include "process_end_stand_ins.h"
#include "program/core/binding/engine.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"
#include "stock_loading_fixture.h"
#include "stock_window_fixture.h"

namespace stock_drawing_test {

class FakeRows : public yov::StockRowsView {
public:
    std::map<int32_t, int> paints;
    int32_t textWidth(yov::RowFont font, std::u16string_view text) override { return yov::PlainTextWidth(font, text); }
    void cellChanged(int32_t) override {}
    void paintBox(int32_t cell) override { ++paints[cell]; }
    uintptr_t boxWindow(int32_t cell) override { return 1000 + static_cast<uintptr_t>(cell); }
};

class RowsView : public stock_window_test::FakeView {
public:
    FakeRows rows;
    int32_t width = 600;
    int32_t innerWidth() const override { return width; }
    yov::StockRowsView* rowsView() override { return &rows; }
};

struct Window {
    std::unique_ptr<RowsView> view = std::make_unique<RowsView>();
    std::unique_ptr<yov::StockWindow> window;
};

class StockDrawingTest : public stock_load_test::StockLoadTest {
    yov::FreshStockBrowserState freshStock_;  // each test on a state of its own
protected:
    void SetUp() override {
        StockLoadTest::SetUp();
        ASSERT_EQ(yov::lv::OpenCache(1, "memory"), 0);
        yov::ForgetBufferClasses();
        yov::serviceState() = yov::ServiceState{};
        useEngine_.emplace(engine);
        yov::ClearPicturePools();
        yov::pictureSlots() = {};
    }
    void TearDown() override {
        windows.clear();
        yov::ClearPicturePools();
        yov::pictureSlots() = {};
        yov::FreeCanvas(1);
        yov::lv::CloseCache();
        useEngine_.reset();
        yov::serviceState() = yov::ServiceState{};
        yov::UnloadServiceWindow();
        StockLoadTest::TearDown();
    }

    // A stock in the scratch folder beside copies of the demo's pictures.
    void LoadStock(const std::vector<std::string>& lines) {
        for (const auto& f : std::filesystem::directory_iterator(YOV_DEMO_DATA)) {
            if (f.path().extension() == ".gif")
                std::filesystem::copy_file(f.path(), folder() + "/" + f.path().filename().string(),
                                           std::filesystem::copy_options::overwrite_existing);
        }
        Load(Write("rows.stk", lines));
    }

    // A window of `rows` rows, laid out and drawn.
    Window& Open(int32_t rows, int32_t width = 600) {
        auto w = std::make_unique<Window>();
        w->view->width = width;
        w->window = std::make_unique<yov::StockWindow>(*w->view);
        yov::StockWindow* sw = w->window.get();
        w->view->bar.onChange = [sw] { sw->VScr_Change(); };
        EXPECT_TRUE(sw->Load());
        yov::stockWindows().Options.InfoColumnWidth = 100;
        sw->Layout(rows * yov::StockRowHeight(yov::programState().Shared.PictureHeight));
        sw->Rfsh0();
        windows.push_back(std::move(w));
        return *windows.back();
    }

    const yov::StockCell& Cell(Window& w, int32_t i) { return w.window->Cells[static_cast<size_t>(i)]; }

    // The number each subclassed window reports with.
    std::map<uintptr_t, int16_t> Subclassed() const {
        std::map<uintptr_t, int16_t> numbers;
        for (const engine_fake::Subclassed& s : engine.subclassed) numbers[s.window] = s.number;
        return numbers;
    }

    // The menu calls stop at the fake: the windows' menus are not what these tests look at.
    engine_fake::MenuEngine engine;
    std::vector<std::unique_ptr<Window>> windows;

private:
    std::optional<yov::ScopedEngine> useEngine_;
    program_test::RecordedProcessEnds processEnds_;  // a window's closing may post the shutdown
};

}  // namespace stock_drawing_test
