#include "program/core/startup/core_hooks.h"

namespace yov {

CoreHooks& coreHooks() {
    static CoreHooks hooks;
    return hooks;
}

}  // namespace yov
