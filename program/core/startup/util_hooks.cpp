#include "program/core/startup/util_hooks.h"

#include "program/show/frame_step.h"

namespace yov {

UtilHooks& utilHooks() {
    static UtilHooks hooks;
    return hooks;
}

void frameStep(int32_t callSite) { CheckStep(callSite); }

std::u16string utilText(std::u16string_view key, std::u16string_view defaultText, int32_t flags) {
    if (utilHooks().getText) return utilHooks().getText(key, defaultText, flags);
    if (!key.empty() && key.front() == u'=') return std::u16string(key.substr(1));
    return std::u16string(defaultText);
}

}  // namespace yov
