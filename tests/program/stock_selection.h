// The entries of the stock that a stock window has selected, in stock order.
#pragma once

#include <cstdint>
#include <vector>

#include "program/core/startup/program_state.h"
#include "program/stock/stock_window.h"

namespace stock_test {

inline std::vector<int32_t> SelectedEntries(const yov::StockWindow& w) {
    std::vector<int32_t> out;
    const yov::ProgramState& st = yov::programState();
    for (int32_t i = 1; i <= st.Shared.StockCount; ++i) {
        if ((st.Arrays.Stock[i].SelectMask & static_cast<uint16_t>(w.SelectionBit)) != 0) out.push_back(i);
    }
    return out;
}

}  // namespace stock_test
