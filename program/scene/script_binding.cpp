// The program's script reader: the engine through its binding, the show settings, the
// stock loader, the texts by key and the error report.
#include <chrono>
#include <thread>

#include "lumvatek/shared.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/params/param_expr.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/scene/script_reader.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"

namespace yov {
namespace {

constexpr int32_t kReadPosition = 31006;
constexpr int32_t kReadReportFlags = 0x3000040;  // information icon, logged

TtCalls EngineTtCalls() {
    TtCalls t;
    t.InitTtRead = &lv::InitTtRead;
    t.FinishTtRead = &lv::FinishTtRead;
    t.SetTtOption = &lv::SetTtOption;
    t.OpenTtFile = &lv::OpenTtFile;
    t.TtFileClose = &lv::TtFileClose;
    t.GetTtLine = &lv::GetTtLine;
    t.GetTtPosition = &lv::GetTtPosition;
    t.MacIni = &lv::MacIni;
    t.DefMac = &lv::DefMac;
    t.SortMac = &lv::SortMac;
    t.MacFree = &lv::MacFree;
    return t;
}

ScriptStart ShowStart() {
    const ProgramState& ms = programState();
    const ProgramState& st = programState();
    const int mode = st.run.ShowMode != 0 ? kFullScreenMode : kWindowMode;
    ScriptStart s;
    s.Random = ms.settings.Show.Random[mode];
    s.SkipErr = ms.settings.Show.SkipErr[mode];
    s.Speed = ms.settings.Show.Speed[mode];
    s.UseDefDir = ms.settings.UseDefDir;
    s.Music = ms.settings.Music;
    // Until the show window exists its size is taken as the screen's.
    s.ScreenWidth = s.WindowWidth = st.machine.ScreenWidthPx;
    s.ScreenHeight = s.WindowHeight = st.machine.ScreenHeightPx;
    s.InWindow = mode == kWindowMode;
    s.FullScreen = mode == kFullScreenMode;
    s.ScreenSaverFullScreen = mode == kFullScreenMode && ms.road.ScreenSaverMode != 0;
    return s;
}

void OpenCacheForScript() {
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

ScriptHooks ProgramHooks() {
    ScriptHooks h;
    h.tt = EngineTtCalls();
    h.start = ShowStart;
    h.formatText = [](std::u16string_view key, const std::vector<std::u16string>& params) {
        std::vector<FormatArg> args(params.begin(), params.end());
        return FormatText(key, std::span<const FormatArg>(args));
    };
    h.errorNumberText = [](int32_t number, std::u16string_view file, int32_t line) {
        return GetErrorNumberText(number, file, line);
    };
    h.describeError = [](const std::exception_ptr& error) {
        const PendingError e = pendingErrorOf(error);
        return std::make_pair(e.number, e.description);
    };
    h.report = [](int32_t number, const std::u16string& message) {
        ReportError(PendingError{number, message}, kReadPosition, u"", kReadReportFlags);
    };
    h.setStockName = [](const std::u16string& name) { SetStockName(name); };
    h.loadStock = [] {
        LoadStock(0);
        EnsureStockIndex();
    };
    h.stockPictureHeight = [] { return programState().Shared.PictureHeight; };
    h.openPictureCache = OpenCacheForScript;
    h.setCacheMode = [](uint8_t mode) { programState().scene.CacheMode = mode; };
    // The stock's default background ("$BACKGROUND" of the stock, black without one).
    h.defaultBackground = [] { return stockState().Background; };
    h.setting = [](std::u16string_view name) { return GetRegString(name); };
    h.optionSetting = [](std::u16string_view name, int32_t defaultValue) {
        return GetRegNumber(name, defaultValue, u"\\Option");
    };
    h.languageCodes = [] {
        const ProgramState& st = programState();
        std::vector<std::u16string> codes;
        for (int32_t i = 0; i <= st.Shared.LanguageCount && i < st.Arrays.Languages.length(); ++i) {
            codes.push_back(st.Arrays.Languages[i].Code);
        }
        return codes;
    };
    h.pickLangText = [](const std::vector<std::u16string>& texts, std::u16string_view context) {
        LvString all[kLanguageSlots];
        for (size_t i = 0; i < texts.size() && i < kLanguageSlots; ++i) all[i] = texts[i];
        return PickLangText(all, context);
    };
    h.programVersion = [] { return std::u16string(kProgramVersion); };
    h.engineVersion = [] { return engine_calls::versionText(); };
    h.setOpenSources = [](uint8_t n) { programState().Shared.OpenSources = n; };
    h.pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
    return h;
}

}  // namespace

ScriptReader& scriptReader() {
    static ScriptReader reader = [] {
        ScriptReader r(paramParser(), paramTable());
        r.hooks = ProgramHooks();
        return r;
    }();
    return reader;
}

bool ReadScript(const std::u16string& path, uint8_t headerMode) {
    return scriptReader().ReadScript(path, headerMode) != 0;
}

}  // namespace yov
