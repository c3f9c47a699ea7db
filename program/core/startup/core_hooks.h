// What the texts and the error report ask of the parameter table and the text window. Each
// defaults to "nothing there" (no parameter given, no log view open) until the program puts
// its own in place at start-up. Tests replace any of them; `coreHooks() = {}` restores the
// defaults.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace yov {

struct CoreHooks {
    // --- Parameter table: the value of the first alias of the comma-separated list that
    // the current parameter set gives, else the default.
    std::function<std::u16string(std::u16string_view aliases, std::u16string_view defaultText)> getParam;
    // Parses text as a parameter set of its own, runs `use` with it current, and restores
    // the enclosing set afterwards (also when `use` throws).
    std::function<void(std::u16string_view text, const std::function<void()>& use)> withParams;

    // --- Text window: adds a line to the open error-log view (RunMode 14).
    std::function<void(const std::u16string& line)> appendToLogView;
};

CoreHooks& coreHooks();

}  // namespace yov
