#include "program/core/binding/main_engine_calls.h"

#include <array>

#include "lumvatek/shared.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_events.h"
#include "program/core/binding/engine_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/utilities.h"
#include "program/ui/window_ops_qt.h"

namespace yov {

namespace {

constexpr int32_t kVersionBuffer = 100;

}  // namespace

LvResult InitEngineOnProgramArrays(LvEventProc onEvent, LvRandomProc random) {
    ProgramState& st = programState();
    SharedArrays& a = st.Arrays;
    return lv::InitDLL(0, onEvent, random, &st.Shared, a.Stock.desc(), a.StockFiles.desc(), a.Authors.desc(),
                       a.LibInfos.desc(), a.Categories.desc(), a.Languages.desc(), a.LangTexts.desc(),
                       a.DescKeys.desc(), a.DescValues.desc(), a.DescTexts.desc());
}

MainEngineCalls::MainEngineCalls()
    : installWindowOps([] { windowOps().install(); }),
      initDll([] { InitEngineOnProgramArrays(OnEngineEvent, GetRandomIndex); }),
      closeDll([] { lv::CloseDLL(); }),
      closeCache([] { lv::CloseCache(); }),
      closeLib32([](LvHandle library) { lv::CloseLib32(library); }),
      deleteSurface([](LvHandle surface) { lv::DeleteSurface(&surface); }),
      dllVersion([] {
          std::array<char, kVersionBuffer> buffer{};
          return fromEngineText(buffer.data(), lv::GetDLLVersion(buffer.data(), kVersionBuffer), kVersionBuffer);
      }),
      setMenuTxt([](const std::string& utf8) { lv::SetMenuTxt(utf8.c_str()); }),
      rLook([](std::u16string_view text, int32_t start, int32_t end, uintptr_t what) {
          const EngineText t(text);
          return lv::RLook(t.get(), start, end, what);
      }),
      setXColMethod([](int32_t method, int32_t red, int32_t green, int32_t blue) {
          lv::SetXColMethod(method, red, green, blue);
      }),
      setXColor([](const uint8_t* red, const uint8_t* green, const uint8_t* blue) { lv::SetXColor(red, green, blue); }),
      setMenuItem([](int32_t menu, int32_t position, const std::string& utf8, int32_t identifier) {
          lv::SetMenuItem(menu, position, utf8.c_str(), identifier);
      }),
      checkItem([](int32_t menu, int32_t position, bool checked) { lv::CheckItem(menu, position, checked ? 1 : 0); }),
      enableMenu([](int32_t identifier, bool enabled) { lv::EnableMenu(identifier, enabled ? 1 : 0); }),
      prepareLookStock([](const LvArrayDesc* stock, int32_t count) { lv::PrepareLookStock(stock, count); }),
      lookStockIdx([](std::u16string_view name) {
          const EngineText t(name);
          return lv::LookStockIdx(t.get());
      }) {}

MainEngineCalls& mainEngineCalls() {
    static MainEngineCalls calls;
    return calls;
}

}  // namespace yov
