#include "program/scene/stock_state.h"

#include <QCoreApplication>

namespace yov {

StockState& stockState() {
  static StockState state;
  return state;
}

StockLoadHooks& stockLoadHooks() {
  static StockLoadHooks hooks = [] {
    StockLoadHooks h;
    h.pumpEvents = [] {
      if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
    };
    return h;
  }();
  return hooks;
}

}  // namespace yov
