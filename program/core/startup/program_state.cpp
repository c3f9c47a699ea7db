#include "program/core/startup/program_state.h"

namespace yov {

ProgramState& programState() {
    static ProgramState state;
    return state;
}

}  // namespace yov
