#include "program/stock/stock_seams.h"

#include <array>

#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/stock_data/stock_loading.h"

namespace yov {

namespace {
constexpr int32_t kMenuKeyBuffer = 10;
}  // namespace

StockEngineCalls::StockEngineCalls()
    : checkMenu([](int32_t identifier, int32_t state) { lv::CheckMenu(identifier, state != 0 ? 1 : 0); }),
      enableMenu([](int32_t identifier, int32_t state) { lv::EnableMenu(identifier, state != 0 ? 1 : 0); }),
      menuKey([](int32_t menu, int32_t identifier) {
          std::array<char, kMenuKeyBuffer + 1> buffer{};
          const int32_t n = lv::GetMenuKey(menu, identifier, buffer.data(), kMenuKeyBuffer);
          return fromEngineText(buffer.data(), n, kMenuKeyBuffer);
      }),
      startSubclass([](uintptr_t window, uint8_t flags, uint8_t slot, int16_t number) {
          lv::StartSubclass(static_cast<LvWindow>(window), flags, slot, number);
      }) {}

StockEngineCalls& stockEngineCalls() {
    static StockEngineCalls calls;
    return calls;
}

StockSeams& stockSeams() {
    static StockSeams seams = [] {
        StockSeams s;
        s.loadStock = [] { LoadStock(0); };
        return s;
    }();
    return seams;
}

}  // namespace yov
