#include "program/show/show_state.h"

namespace yov {

ShowState& showState() {
    static ShowState state;
    return state;
}

}  // namespace yov
