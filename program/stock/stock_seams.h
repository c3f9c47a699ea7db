// What the stock windows call of the engine, and of the parts of the stock browser that are
// built after the window itself: its menus of authors and categories, the drawing of its
// rows, its command table and its status-bar notes. The engine entries default to the bound
// library; an empty seam is skipped (no generated menu items, rows without pictures, no
// commands beyond the common keys, no note). Tests replace any of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace yov {

class StockWindow;

struct StockEngineCalls {
    std::function<void(int32_t identifier, int32_t state)> checkMenu;
    std::function<void(int32_t identifier, int32_t state)> enableMenu;
    // The item's text key (at most 10 characters), empty when the engine has none.
    std::function<std::u16string(int32_t menu, int32_t identifier)> menuKey;
    std::function<void(uintptr_t window, uint8_t flags, uint8_t slot, int16_t number)> startSubclass;

    StockEngineCalls();
};

StockEngineCalls& stockEngineCalls();

struct StockSeams {
    // The popup menu's authors and the category menu.
    std::function<void()> buildStockMenu;
    std::function<void(int32_t first, int32_t second)> buildCatMenu;
    // Fills the rows of a full refresh (between the scroll range and the end of Rfsh0).
    std::function<void(StockWindow& window)> drawCells;
    // The window's own commands: true when handled.
    std::function<bool(StockWindow& window, int16_t& code, int32_t& arg1, int32_t& arg2, int32_t& arg3, int32_t& arg4)>
        command;
    // A short note in the window's status bar (a key's text or a text as it is).
    std::function<void(StockWindow& window, const std::u16string& text)> statusNote;
    // LoadStock(0) of the current stock; does nothing when the stock is loaded.
    std::function<void()> loadStock;
};

StockSeams& stockSeams();

}  // namespace yov
