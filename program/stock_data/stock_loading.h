// The stock's name and its loading: the vehicle catalogue read from one stock file into the
// program's tables, which the engine fills in place.
#pragma once

#include <cstdint>
#include <string>

#include "lumvatek/shared.h"

namespace yov {

// SetStockName: the stock file to use from now on (kept as written, its folder and cache
// file derived from it).
void SetStockName(const std::u16string& path);

// LoadStock: loads the named stock unless it is loaded already; mode as the callers pass it
// (start-up True = -1, the script reader 0, the settings dialog -1). A stock that cannot be
// read is reported and leaves the tables empty.
void LoadStock(int32_t mode);

// LoadStockBinary: 0 loaded, 1 no such file, 2 to be read as text, 4 not usable.
int32_t LoadStockBinary(int32_t mode);

// The procedures handed to the engine's text reader, in its order of arguments (the two key
// line procedures are in stock_key_lines.h).
int32_t OnStockFile(const StockFileEntry& file);
int32_t OnStockEntry(int32_t index, const StockEntry& entry);
void OnStockLink(int32_t index, int32_t descNumber);
int32_t OnDescText(int32_t number, const std::u16string& text);

}  // namespace yov
