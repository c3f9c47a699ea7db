// What start-up asks of the program's data above the core: the numeric settings of the show,
// the recent-file lists, and the stock file. program/ui implements it and the program's start-up
// installs it (`UseProgramParts`); the core alone has this object itself, which reads and
// stores nothing.
#pragma once

#include <string>
#include <vector>

#include "program/core/startup/installed.h"

namespace yov {

// The recent lists by number, as the lists themselves count them.
inline constexpr int kScriptRecentList = 0;
inline constexpr int kStockRecentList = 1;

class StartupParts {
public:
    virtual ~StartupParts() = default;
    // Reads the numeric settings of the show that start-up takes once.
    virtual void readSettings() {}
    // Adds each name in turn at the top of a recent list (0 scene scripts, 1 stock files).
    virtual void addRecentFiles(int /*list*/, const std::vector<std::u16string>& /*names*/) {}
    // The stock file to load (SetStockName), and its loading (LoadStock).
    virtual void setStockName(const std::u16string& /*name*/) {}
    virtual void loadStock() {}
};

inline StartupParts& startupParts() { return *Installed<StartupParts>(); }

}  // namespace yov
