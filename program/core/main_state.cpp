#include "program/core/main_state.h"

namespace yov {

MainState& mainState() {
  static MainState state;
  return state;
}

void resetMainState() { mainState() = MainState{}; }

}  // namespace yov
