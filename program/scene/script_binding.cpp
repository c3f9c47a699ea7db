// The program's script reader: what a read starts from, and what the program does for a read
// (the error report, the stock, the picture cache, the pause while music plays).
#include <chrono>
#include <thread>

#include "lumvatek/shared.h"
#include "program/core/params/param_expr.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"
#include "program/stock_data/stock_loading.h"

namespace yov {
namespace {

constexpr int32_t kReadPosition = 31006;
constexpr int32_t kReadReportFlags = 0x3000040;  // information icon, logged

}  // namespace

ScriptStart CurrentScriptStart() {
    const ProgramState& st = programState();
    const int mode = st.run.ShowMode != 0 ? kFullScreenMode : kWindowMode;
    ScriptStart s;
    s.Random = st.settings.Show.Random[mode];
    s.SkipErr = st.settings.Show.SkipErr[mode];
    s.Speed = st.settings.Show.Speed[mode];
    s.UseDefDir = st.settings.UseDefDir;
    s.Music = st.settings.Music;
    // Until the show window exists its size is taken as the screen's.
    s.ScreenWidth = s.WindowWidth = st.machine.ScreenWidthPx;
    s.ScreenHeight = s.WindowHeight = st.machine.ScreenHeightPx;
    s.InWindow = mode == kWindowMode;
    s.FullScreen = mode == kFullScreenMode;
    s.ScreenSaverFullScreen = mode == kFullScreenMode && st.road.ScreenSaverMode != 0;
    s.LabelHeight = scriptShowCalls().labelHeight();
    return s;
}

void ScriptReadServices::report(int32_t number, const std::u16string& message) {
    ReportError(PendingError{number, message}, kReadPosition, u"", kReadReportFlags);
}

void ScriptReadServices::nameStock(const std::u16string& name) { SetStockName(name); }

void ScriptReadServices::loadStock() {
    LoadStock(0);
    EnsureStockIndex();
}

void ScriptReadServices::openPictureCache() {
    OpenPictureCache();
    ProgramState& st = programState();
    if (st.scene.CacheMode != 0) return;
    for (int32_t i = 1; i <= st.Shared.StockCount && i < st.Arrays.Stock.length(); ++i) {
        StockEntry& e = st.Arrays.Stock[i];
        e.PictureRef = 0;
        e.PicField16 = 0;
        e.Width = 0;
        e.PicField20 = 0;
        e.Height = 0;
    }
}

void ScriptReadServices::pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

ScriptReader& scriptReader() {
    static ScriptReader reader(paramParser(), paramTable());
    return reader;
}

bool ReadScript(const std::u16string& path, uint8_t headerMode, StockLine stockLine) {
    return scriptReader().ReadScript(path, headerMode, stockLine) != 0;
}

}  // namespace yov
