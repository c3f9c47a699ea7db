#include "program/core/startup/core_wiring.h"

#include "program/core/startup/core_hooks.h"
#include "program/core/params/param_table.h"

namespace yov {

void WireCoreServices() {
    CoreHooks& core = coreHooks();
    core.getParam = [](std::u16string_view aliases, std::u16string_view defaultText) {
        return paramTable().GetParam(aliases, defaultText);
    };
    core.withParams = [](std::u16string_view text, const std::function<void()>& use) {
        paramTable().WithParams(text, use);
    };
}

}  // namespace yov
