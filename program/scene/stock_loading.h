// The stock's name and its loading: the vehicle catalogue read from one stock file into the
// program's tables, which the engine fills in place.
#pragma once

#include <cstdint>
#include <string>

namespace yov {

// SetStockName: the stock file to use from now on (kept upper-cased, its folder and cache
// file derived from it).
void SetStockName(const std::u16string& path);

// LoadStock: loads the named stock unless it is loaded already; mode as the callers pass it
// (start-up True = -1, the script reader 0, the settings dialog -1). Errors are raised as
// program errors.
void LoadStock(int32_t mode);

}  // namespace yov
