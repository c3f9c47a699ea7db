// A stock window's rows: a full redraw of 20 rows whose pictures are built again from the
// engine's memory cache, a redraw that keeps them, and scrolling page by page through a
// generated stock of 10,000 entries of the demo's vehicles. Rows per second are reported as
// items (time per row = 1 / rate). The engine is the built library, bound by name.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/codepage.h"
#include "program/core/binding/engine_events.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup_tables.h"
#include "program/core/windows/progress.h"
#include "program/core/params/param_table.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "tests/program/stock_load_pumps.h"
#include "program/stock/stock_drawing.h"
#include "program/stock/stock_rows_view.h"
#include "program/stock/stock_window.h"
#include "program/ui/window_ops_qt.h"

namespace {

constexpr int kEntries = 10000;
constexpr int kRows = 20;

int32_t NoEvents(DllEventRec*) noexcept { return 0; }

class Bar : public yov::ScrollBarPort {
public:
    int32_t v = 1, maximum = 1;
    yov::StockWindow* window = nullptr;
    int32_t value() const override { return v; }
    void setValue(int32_t value) override {
        value = std::clamp(value, 1, maximum);
        if (value == v) return;
        v = value;
        if (window != nullptr) window->VScr_Change();
    }
    void setMaximum(int32_t m) override {
        maximum = std::max(m, 1);
        if (v > maximum) setValue(maximum);
    }
};

class Rows : public yov::StockRowsView {
public:
    int32_t textWidth(yov::RowFont font, std::u16string_view text) override { return yov::PlainTextWidth(font, text); }
    void cellChanged(int32_t) override {}
    void paintBox(int32_t) override {}
    uintptr_t boxWindow(int32_t) override { return 0; }
};

class View : public yov::StockWindowView {
public:
    QWidget widget;
    Bar bar;
    Rows rows;
    QWidget* form() override { return &widget; }
    yov::ScrollBarPort& scrollBar() override { return bar; }
    void setScrollEnabled(bool) override {}
    void setScrollPage(int32_t) override {}
    int32_t innerWidth() const override { return 1000; }
    double categoryTextWidth(const std::u16string& text) override { return 6.0 * static_cast<double>(text.size()); }
    uintptr_t statusBarWindow() override { return 0; }
    void setCaption(const std::u16string&) override {}
    void paintRows() override {}
    void hideForm() override {}
    void unloadForm() override {}
    yov::StockRowsView* rowsView() override { return &rows; }
    void focusCell(int32_t) override {}
    QWidget* cellWidget(int32_t) override { return nullptr; }
    void trackCell(int32_t) override {}
    void dragEntries(int32_t, const std::u16string&) override {}
    void dragCategory(int32_t, const std::u16string&) override {}
    std::u16string askPattern() override { return {}; }
    void beep() override {}
};

struct Catalogue {
    std::filesystem::path dir;
    View view;
    std::unique_ptr<yov::StockWindow> window;

    Catalogue() {
        dir = std::filesystem::temp_directory_path() / ("yov_bench_stock_rows_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        ::setenv("YOV_CONFIG_HOME", (dir / "config").string().c_str(), 1);
        for (const auto& f : std::filesystem::directory_iterator(YOV_DEMO_DATA))
            if (f.path().extension() == ".gif") std::filesystem::copy_file(f.path(), dir / f.path().filename());
        Write();
        Start();
        window = std::make_unique<yov::StockWindow>(view);
        view.bar.window = window.get();
        window->Load();
        window->Layout(kRows * yov::StockRowHeight(yov::programState().Shared.PictureHeight));
        window->Rfsh0();
    }
    ~Catalogue() {
        window.reset();
        yov::FreeCanvas(1);
        yov::lv::CloseCache();
        yov::lv::CloseDLL();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    void Write() const {
        static const char* vehicles[] = {"e40.gif;[ET:PANTO,21,0][ET:PANTO,101,0]",
                                         "diesel.gif",
                                         "railcar.gif;[ET:PANTO,76,0][DOD:C=DOOR_A;X=42;Y=21;T=6;N=5]",
                                         "coach_a.gif;[C:#2C7A38,#7A1E34]",
                                         "coach_b.gif",
                                         "wagon_box.gif;+DOOR_A+DOOR_B",
                                         "wagon_tank.gif",
                                         "demo_station.gif"};
        std::ofstream out(dir / "big.stk", std::ios::binary);
        out << "$AUTHCNT 1\r\n$AUTHK K=YOV;S=Yov;N=The Yov project\r\n$IMGY 60\r\n$STOCKCNT " << kEntries + 3 << "\r\n";
        for (int i = 1; i <= kEntries; ++i) {
            if (i % 100 == 1) out << "$CAT L=1;K=C" << i << ";N=Category " << i << "\r\n";
            out << "V" << i << ";RE *YOV;G;;" << vehicles[i % 8] << "\r\n";
        }
        out << "PANTO;K  *YOV;G;;panto.gif;[PAN:W=28;H=16;N=4;SX=28;T=15][ANIM:PAN,*PAN=B]\r\n"
            << "DOOR_A;G  *YOV;G;;door_a.gif\r\nDOOR_B;B  *YOV;G;;door_b.gif\r\n$ENDSTOCK\r\n";
    }

    void Start() {
        yov::BuildStartupTables();
        yov::progressDisplay().Suppress = 1;
        static const program_test::CountedEventPumps noEvents;  // no window system: nothing to run
        yov::ProgramState& st = yov::programState();
        st.Shared.BuiltinDescKeys = 7;
        st.scene.CacheMode = 1;
        // The program's own menus, which the window builds as it loads.
        yov::windowOps().install();
        yov::InitEngineOnProgramArrays(&NoEvents, nullptr);
        yov::lv::OpenCache(1, "memory");
        yov::SetStockName(plat::utf8ToUtf16((dir / "big.stk").string()));
        yov::LoadStock(-1);
        yov::ForgetBufferClasses();
    }
};

Catalogue& TheCatalogue() {
    static Catalogue c;
    return c;
}

void Check(benchmark::State& state, const yov::StockWindow& w) {
    if (w.CellCount != kRows || w.Cells[1].DrawWidth == 0)
        state.SkipWithError(("the rows were not drawn: " + plat::utf16ToUtf8(w.Cells[1].ErrorText)).c_str());
}

// Every row built again: the pictures come from the engine's memory cache.
void BM_StockRowsRedrawFromCache(benchmark::State& state) {
    yov::StockWindow& w = *TheCatalogue().window;
    w.SetVscrValue(1);
    w.Rfsh0();
    for (auto _ : state) {
        w.InvalS();
        w.Rfsh0();
    }
    Check(state, w);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StockRowsRedrawFromCache)->Unit(benchmark::kMillisecond);

// A redraw that finds every row unchanged.
void BM_StockRowsRedrawKept(benchmark::State& state) {
    yov::StockWindow& w = *TheCatalogue().window;
    w.SetVscrValue(1);
    w.Rfsh0();
    for (auto _ : state) w.Rfsh0();
    Check(state, w);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StockRowsRedrawKept)->Unit(benchmark::kMicrosecond);

// Page by page through the 10,000 entries, round again at the end.
void BM_StockRowsScrollTenThousand(benchmark::State& state) {
    yov::StockWindow& w = *TheCatalogue().window;
    int32_t top = 1;
    for (auto _ : state) {
        top += kRows;
        if (top > kEntries - kRows) top = 1;
        w.SetVscrValue(top);
        w.Rfsh0();
    }
    Check(state, w);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_StockRowsScrollTenThousand)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
