// Services the program's windows share, above all the stock windows: the update that ends
// every stock-window command, the decoding of generated menu ids, the common keys of every
// window, the error that abandons a command quietly, menu item captions, the status-bar
// panel under a point and the split of an entry's name at its version mark.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace yov {

class StockWindow;

// Update bits of a command's end (UpdateStockScrolls, AddStockFlags, CmdEnd).
namespace stock_update {
inline constexpr uint8_t kUnsortTexts = 2;    // the translated texts are sorted again
inline constexpr uint8_t kRedrawOwn = 4;      // the window running the command redraws
inline constexpr uint8_t kRedrawAll = 8;      // every stock window redraws
inline constexpr uint8_t kScrollRanges = 16;  // every stock window's scroll range again
inline constexpr uint8_t kRedrawNow = 0x80;   // CmdEnd: the window redraws at once
}  // namespace stock_update

// Ticks of the service timer before a stock window redraws.
inline constexpr uint8_t kRedrawTicks = 2;

uint8_t AddStockFlags(uint8_t bits);
void UpdateStockScrolls(uint8_t& flags);
void MarkStockWindows();
void InvalidateAllStock();
// Each open stock window with its slot, in slot order; a window that closes meanwhile is
// passed over.
void ForEachStockWindow(const std::function<void(int slot, StockWindow& window)>& action);

// A generated menu id reduced to the base of its range, the item index taken out of its low
// bits; ids below 5120 are left as they are, and so is the index.
void SplitCmdId(int32_t& id, int32_t& index);

// The keys every window shares (Ctrl+Tab, Ctrl+F4, Alt+F4) and the help commands. True
// when handled.
bool HandleFormCmd(int32_t code, QWidget* form, int32_t extra);

// Abandons the running command with error 6009 and the message key as its description.
[[noreturn]] void RaiseUserError(std::u16string_view key);
// The text of a user error's key; the keys that have no text of their own get one here.
std::u16string UserErrorText(std::u16string_view key);

// The text key of a menu item (menu number, bit 15 searching every menu), empty when none;
// its text in the current language.
std::u16string GetMenuKeyText(int32_t menu, int32_t identifier);
std::u16string GetMenuCaption(int32_t menu, int32_t identifier);

// A status-bar panel as PanelFromX measures it.
struct PanelSpan {
    int32_t width = 0;
    bool visible = true;
};
// The 1-based index of the visible panel whose span holds x (each panel spans its width
// and one more), 0 when none does.
int32_t PanelFromX(const std::vector<PanelSpan>& panels, int32_t x);

// The name of stock entry i before its first "~"; rest gets the part from the "~" on.
std::u16string GetStockBoxWord(int32_t entry, std::u16string& rest);

}  // namespace yov
