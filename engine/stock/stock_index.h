// The sorted name index over the program's stock table, and the table itself as the
// engine reaches it (the descriptor PrepareLookStock was given, else the one InitDLL was).
#pragma once

#include <cstdint>
#include <string_view>

#include "lumvatek/shared.h"

namespace lvk {

inline constexpr int kMaxStockName = 128;

// The entry number of a name (1-based), 0 when it is not in the index. "~" matches the
// character 31 of the keys and ASCII letters match either case. A name of more than 128
// characters raises -12425 through the recovery point.
int32_t LookStock(std::u16string_view name);
// The same without the failure: a name over 128 characters is simply not found.
int32_t FindStock(std::u16string_view name);

// Entry i of the stock table, or null when there is no such entry.
StockEntry* StockEntryAt(int32_t i);

// Frees the index's buffers (library stop).
void FreeStockIndex();

}  // namespace lvk
