#include "program/stock/window_support.h"

#include <QWidget>

#include <algorithm>
#include <array>

#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/progress.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"
#include "program/stock/tool_tip.h"

namespace yov {

namespace {

constexpr int32_t kMenuKeyBuffer = 10;  // a text key has at most 10 characters
constexpr int32_t kCtrlTab = 521;
constexpr int32_t kCtrlF4 = 627;
constexpr int32_t kAltF4 = 1139;

struct IdRange {
    int32_t first;
    int32_t indexBits;
};
// From the first id of each range on, so many low bits carry the item index.
constexpr IdRange kIdRanges[] = {{9216, 10}, {5632, 8}, {5376, 6}, {5120, 4}};

int highestStockSlot() { return std::min<int>(serviceState().HighestStockSlot, kStockSlots); }

bool stockSlotInUse(int slot) { return programState().WindowTable[static_cast<size_t>(slot)].inUse != 0; }

void setCountdown(int slot, uint8_t ticks) { serviceState().RefreshCountdown[static_cast<size_t>(slot)] = ticks; }

void unloadForm(QWidget* form) {
    if (form == nullptr) return;
    // A window shown modally belongs to whoever showed it (the run-time dialog's window is
    // kept for the next dialog): closing it ends the showing, its owner releases it.
    if (form->close() && !form->testAttribute(Qt::WA_DeleteOnClose) && !form->isModal()) form->deleteLater();
}

}  // namespace

uint8_t AddStockFlags(uint8_t bits) {
    stockWindows().PendingStockUpdate |= bits;
    return bits;
}

void MarkStockWindows() {
    for (int s = 1; s <= highestStockSlot(); ++s) {
        if (stockSlotInUse(s)) setCountdown(s, kRedrawTicks);
    }
}

void InvalidateAllStock() {
    ForEachStockWindow([](int, StockWindow& w) { w.InvalS(); });
    AddStockFlags(stock_update::kRedrawOwn);
}

void ForEachStockWindow(const std::function<void(int slot, StockWindow& window)>& action) {
    for (int s = 1; s <= highestStockSlot(); ++s) {
        StockWindow* w = stockSlotInUse(s) ? StockWindowAt(s) : nullptr;
        if (w != nullptr) action(s, *w);
    }
}

void UpdateStockScrolls(uint8_t& flags) {
    HideTip();
    progressDisplay().RefreshProgressWindow();
    progressDisplay().EndProgress();
    StockWindowsState& sw = stockWindows();
    ServiceState& service = serviceState();
    flags |= sw.PendingStockUpdate;
    if ((flags & stock_update::kUnsortTexts) != 0) InvalidateLangTexts();
    if ((flags & stock_update::kRedrawOwn) != 0 && service.CommandRunning != 0 && service.CommandRunning <= kStockSlots)
        setCountdown(service.CommandRunning, kRedrawTicks);
    if ((flags & stock_update::kRedrawAll) != 0) MarkStockWindows();
    if ((flags & stock_update::kScrollRanges) != 0) {
        const int32_t count = programState().Shared.StockCount;
        ForEachStockWindow([&](int s, StockWindow& w) {
            // The last position that still fills the window, as the window's refresh sets it.
            w.SetVscrMax(count - w.PicCnt() + 1);
            const int32_t m = std::max(w.VscrMax(), 1);
            const int32_t v = std::min(sw.LastTop[static_cast<size_t>(s)], m);
            if (count == 0 || w.VscrValue() == v)
                setCountdown(s, kRedrawTicks);
            else
                w.SetVscrValue(v);
        });
    }
    service.CommandRunning = 0;
    sw.PendingStockUpdate = 0;
}

void SplitCmdId(int32_t& id, int32_t& index) {
    for (const IdRange& r : kIdRanges) {
        if (id < r.first) continue;
        const int32_t mask = (1 << r.indexBits) - 1;
        index = id & mask;
        id &= ~mask;
        return;
    }
}

bool HandleFormCmd(int32_t code, QWidget* form, int32_t extra) {
    switch (code) {
    case kCtrlTab: return true;
    case kCtrlF4: unloadForm(form); return true;
    case kAltF4:
        if (modalState().ModalDepth == 0)
            UnloadAllWindows(0);
        else
            unloadForm(form);
        return true;
    default: return ShowContextHelp(code, form, extra);
    }
}

void RaiseUserError(std::u16string_view key) { throw ProgramError(error_number::kNotMine, std::u16string(key)); }

std::u16string UserErrorText(std::u16string_view key) {
    // Two keys of the command checks never had a text.
    std::u16string fallback;
    if (key == u"NOF") fallback = u"Already at the beginning";
    if (key == u"NPIC") fallback = u"The entry has no picture file of its own";
    return GetText(key, fallback);
}

std::u16string GetMenuKeyText(int32_t menu, int32_t identifier) {
    std::array<char, kMenuKeyBuffer + 1> buffer{};
    const int32_t n = lv::GetMenuKey(menu, identifier, buffer.data(), kMenuKeyBuffer);
    return fromEngineText(buffer.data(), n, kMenuKeyBuffer);
}

std::u16string GetMenuCaption(int32_t menu, int32_t identifier) {
    const std::u16string key = GetMenuKeyText(menu, identifier);
    return GetText(key, u"", kTextStemOnly);
}

int32_t PanelFromX(const std::vector<PanelSpan>& panels, int32_t x) {
    int64_t left = 0;
    for (size_t i = 0; i < panels.size(); ++i) {
        if (!panels[i].visible) continue;
        const int64_t right = left + panels[i].width + 1;
        if (left < x && right > x) return static_cast<int32_t>(i) + 1;
        left = right;
    }
    // Not on a panel: 0, which the status bar takes as "none".
    return 0;
}

std::u16string GetStockBoxWord(int32_t entry, std::u16string& rest) {
    const SharedArrays& a = programState().Arrays;
    rest.clear();
    if (entry < 1 || entry > programState().Shared.StockCount || !a.Stock.has(entry)) return {};
    const std::u16string& name = a.Stock[entry].Name;
    const size_t tilde = name.find(u'~');
    if (tilde == std::u16string::npos) return name;
    rest = name.substr(tilde);
    return name.substr(0, tilde);
}

}  // namespace yov
