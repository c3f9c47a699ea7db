#include "program/stock/stock_input.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>

#include "lumvatek/exports.h"
#include "program/core/binding/engine_binding.h"
#include "program/stock/stock_status_bar.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_drag_text.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"
#include "program/stock/tool_tip.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

constexpr int32_t kLeftButton = 1;
constexpr int32_t kRightButton = 2;
constexpr int32_t kShift = 1;
constexpr int32_t kCtrl = 2;
constexpr int32_t kAlt = 4;
constexpr int32_t kCharacterBase = 2048;
constexpr uint8_t kShowRunning = 0x01;
constexpr uint8_t kDescriptionMode = 0;

int32_t entryOf(const StockWindow& w, int32_t cell) { return w.VscrValue() + cell - 1; }

bool isEntry(int32_t e) {
    const ProgramState& st = programState();
    return e >= 1 && e <= st.Shared.StockCount && st.Arrays.Stock.has(e);
}

uint16_t& maskOf(int32_t e) { return programState().Arrays.Stock[e].SelectMask; }

void select(const StockWindow& w, int32_t e) {
    if (isEntry(e)) maskOf(e) |= static_cast<uint16_t>(w.SelectionBit);
}

bool farEnough(const StockInputState& in, int32_t x, int32_t y) {
    const int64_t moved =
        std::llabs(static_cast<int64_t>(in.HoverX) - x) + std::llabs(static_cast<int64_t>(in.HoverY) - y);
    return moved > kDragDistance;
}

}  // namespace

void ShowStockPopup(const StockWindow& w, int32_t x, int32_t y, QWidget* over) {
    lv::ShowPopup(w.Slot, kStockPopupMenu, x, y, reinterpret_cast<LvWindow>(over), 0);
}

void Box_MouseDown(StockWindow& w, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y) {
    StockInputState& in = w.Input;
    const int32_t e = entryOf(w, cell);
    if (button != 0 && x + y != 0) {
        in.HoverCell = cell;
        in.HoverX = x;
        in.HoverY = y;
    }
    // A press whose release never came to a row (one on a caption) must not select its
    // entry at a later release elsewhere.
    in.PendingSingle = 0;
    switch (shift) {
    case 0:
        if (isEntry(e) && (maskOf(e) & static_cast<uint16_t>(w.SelectionBit)) != 0) {
            // Kept until the release, so that a drag takes the whole selection.
            in.PendingSingle = e;
        } else {
            w.DeSel();
            select(w, e);
        }
        in.Anchor = e;
        break;
    case kShift: {
        w.DeSel();
        const int32_t from = std::max(std::min(e, in.Anchor), 1);
        const int32_t to = std::min(std::max(e, in.Anchor), programState().Shared.StockCount);
        for (int32_t i = from; i <= to; ++i) select(w, i);
        break;
    }
    case kCtrl:
        if (isEntry(e)) maskOf(e) ^= static_cast<uint16_t>(w.SelectionBit);
        in.Anchor = e;
        break;
    default: break;
    }
    w.ActiveCell = cell;
    w.CmdEnd(stock_update::kRedrawOwn);
}

void Box_MouseUp(StockWindow& w, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y) {
    (void)shift;
    StockInputState& in = w.Input;
    w.CmdBeg();
    if ((button & kRightButton) != 0) {
        ShowStockPopup(w, x, y, w.view().cellWidget(cell));
    } else if (in.PendingSingle != 0) {
        w.DeSel();
        select(w, in.PendingSingle);
        AddStockFlags(stock_update::kRedrawOwn);
        in.PendingSingle = 0;
    }
    if (w.Slot != 0) w.CmdEnd(0);
}

void Box_MouseMove(StockWindow& w, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y) {
    StockInputState& in = w.Input;
    w.view().trackCell(cell);
    if (cell != in.MouseCell) {
        in.MouseCell = static_cast<int16_t>(cell);
        const uint8_t layout = stockWindows().Options.StatusBarLayout;
        if (layout >= 2 && layout <= 5) ValueSBar(w);
    }
    if (cell != in.HoverCell || !farEnough(in, x, y)) return;
    HideTip();
    if (button == 0) return;
    in.DragButton = static_cast<int16_t>(button);
    in.DragShift = static_cast<int16_t>(shift);
    in.PendingSingle = 0;
    std::u16string text;
    Box_OLESetData(w, kStockDragFormat, text);
    w.view().dragEntries(cell, text);
}

void LabPic_MouseDown(StockWindow& w, int32_t cell, int32_t button, int32_t shift) {
    Box_MouseDown(w, cell, button, shift, 0, 0);
}

void SizeL_MouseDown(StockWindow& w, int32_t cell, int32_t button, int32_t shift) {
    Box_MouseDown(w, cell, button, shift, 0, 0);
}

void CatPic_MouseDown(StockWindow& w, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y) {
    if ((button & kLeftButton) == 0) return;
    StockInputState& in = w.Input;
    in.HoverCell = cell + kCategoryCellBase;
    in.HoverX = x;
    in.HoverY = y;
    Box_MouseDown(w, cell, kLeftButton, shift, 0, 0);
}

void CatPic_MouseMove(StockWindow& w, int32_t cell, int32_t button, int32_t shift, int32_t x, int32_t y) {
    (void)shift;
    const StockInputState& in = w.Input;
    if (in.HoverCell != cell + kCategoryCellBase || button == 0 || !farEnough(in, x, y)) return;
    const std::u16string text = CategoryDragText(entryOf(w, cell));
    if (!text.empty()) w.view().dragCategory(cell, text);
}

void DescX_Click(StockWindow& w, int32_t cell) { ShowPictureDescription(entryOf(w, cell), true, kDescriptionMode); }

bool Box_OLESetData(StockWindow& w, int32_t format, std::u16string& text) {
    if (format != kStockDragFormat) return false;
    const uint16_t mask = (w.Input.DragShift & kAlt) != 0 ? kProgramMarkBit : static_cast<uint16_t>(w.SelectionBit);
    text = StockDragText(mask);
    return true;
}

bool LabPic_DropAccepted(bool stockFormat, bool fileList) {
    if ((programState().run.RunFlags & kShowRunning) != 0) return false;
    return stockFormat || fileList;
}

bool Form_KeyDown(StockWindow& w, int32_t code) {
    if (stockCommandState().StockCmdBusy != 0) return false;
    try {
        return StockFCmd(w, code);
    } catch (const ProgramError& e) {
        if (e.number() == error_number::kReported) throw;
        return false;
    } catch (...) {
        return false;
    }
}

bool Form_KeyPress(StockWindow& w, char16_t character) {
    if (stockCommandState().StockCmdBusy != 0) return false;
    try {
        return StockFCmd(w, kCharacterBase + character);
    } catch (const ProgramError& e) {
        if (e.number() == error_number::kReported) throw;
        return false;
    } catch (...) {
        return false;
    }
}

void FindNext(StockWindow& w, int32_t n) {
    if (n == 0) return;
    const int32_t limit = std::max(w.VscrMax(), 1);
    int32_t target = 0;
    if (n > limit) {
        w.SetVscrValue(limit);
        target = n - w.VscrValue() + 1;
    } else {
        const int32_t t = w.VscrValue();
        if (n >= t && n < t + w.CellCount) {
            target = n - t + 1;
        } else {
            const int32_t q = w.CellCount / 4;
            if (n > q) {
                w.SetVscrValue(n - q);
                target = q + 1;
            } else {
                w.SetVscrValue(1);
                target = n;
            }
        }
    }
    if (w.view().form() != nullptr && w.view().form()->isVisible()) w.view().focusCell(target);
    Box_MouseDown(w, target, 0, 0, 0, 0);
    Box_MouseUp(w, target, 0, 0, 0, 0);
}

}  // namespace yov
