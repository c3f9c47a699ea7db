#include "program/stock/stock_window.h"

#include <algorithm>

#include "platform/numbers.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/settings/settings.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/number_text.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/core/windows/progress.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/stock/stock_drawing.h"
#include "program/stock/stock_layout.h"
#include "program/stock/stock_options.h"
#include "program/stock/tool_tip.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

constexpr uint8_t kShowRunning = 0x01;
constexpr int16_t kNoPictureFile = 32765;
constexpr int32_t kFreedOnExit = 15004;
constexpr int32_t kFreedOnLayout = 15006;
constexpr uint8_t kOpeningTicks = 1;
constexpr uint32_t kCanvasBackground = 0x00FFFFFF;
constexpr uint8_t kCanvasMode = 24;
constexpr int32_t kMinRowPicture = 58;

WindowSlot& tableRow(int slot) { return programState().WindowTable[static_cast<size_t>(slot)]; }

uint8_t& countdown(int slot) { return serviceState().RefreshCountdown[static_cast<size_t>(slot)]; }

std::u16string positionName(int slot) { return u"P" + decimal(slot); }

const StockEntry* entryAt(int32_t i) {
    const ProgramState& st = programState();
    if (i < 1 || i > st.Shared.StockCount || !st.Arrays.Stock.has(i)) return nullptr;
    return &st.Arrays.Stock[i];
}

// The name of entry i split at its first "~" (an entry past the list: both empty).
void splitName(int32_t i, std::u16string& base, std::u16string& version) { base = GetStockBoxWord(i, version); }

}  // namespace

int32_t StockRowHeight(int32_t pictureHeight) { return std::max(pictureHeight, kMinRowPicture) + 5; }

StockWindow::StockWindow(StockWindowView& view) : view_(view), scroll_(view.scrollBar(), [this] { requestRedraw(); }) {}

StockWindow::~StockWindow() {
    StockWindowsState& sw = stockWindows();
    for (StockWindow*& w : sw.Windows) {
        if (w == this) w = nullptr;
    }
}

void StockWindow::requestRedraw() {
    if (Slot >= 1 && Slot <= kStockSlots) countdown(Slot) = kRedrawTicks;
}

bool StockWindow::Load() {
    StockWindowsState& sw = stockWindows();
    ProgramState& st = programState();
    ServiceState& service = serviceState();
    CellCount = 0;
    CreatedCells = 0;
    StatusBarLayoutShown = 0;
    StatusBarState = 0;
    ++sw.StockWindowCount;

    int n = 1;
    while (n <= kStockSlots && tableRow(n).inUse != 0) ++n;
    if (n > kStockSlots) {
        // All ten are open: this one is not counted and goes at once.
        --sw.StockWindowCount;
        view_.unloadForm();
        return false;
    }
    service.HighestStockSlot = static_cast<uint8_t>(std::max<int>(service.HighestStockSlot, n));
    Slot = static_cast<int16_t>(n);
    SelectionBit = static_cast<int16_t>(programState().tables.BitValue[static_cast<size_t>(n - 1)]);
    sw.Windows[static_cast<size_t>(n)] = this;
    DeSel();
    DrawState = -1;
    ActiveCell = 1;

    LoadStock(0);
    LocalizeForm(view_.form());

    const int32_t h = st.Shared.PictureHeight;
    const int32_t stkPicX = sw.Options.InfoColumnWidth;
    const int32_t bar = StockScrollBarWidthPx();
    const HFrm* hfrm = serviceWindowIfLoaded();
    const int32_t frameWidth = hfrm != nullptr ? hfrm->FrameWidthPx : 0;
    const int32_t frameHeight = hfrm != nullptr ? hfrm->FrameMenuHeightPx : 0;
    const int32_t screenHeight = screenSizePx().height();
    OpenForm(static_cast<uint8_t>(n), view_.form(), 5 * h + stkPicX, screenHeight - h - 5,
             bar + stkPicX + 50 + frameWidth, std::max(h, kMinRowPicture) + 10 + frameHeight);

    if (sw.StockWindowCount == 1) {
        OpenPictureCache();
        ReadStockOptions();
    }
    for (size_t i = 1; i < Cells.size(); ++i) {
        Cells[i].PictureName.clear();
        Cells[i].CaptionName.clear();
        Cells[i].CaptionSelected = 255;
        Cells[i].TypeIndex = 255;
    }
    ColonWidth = plat::clampToInt32(plat::roundHalfEven(view_.categoryTextWidth(u" : ")));

    int32_t position = sw.RequestedTop;
    if (position != 0) {
        sw.RequestedTop = 0;
    } else {
        position = GetRegNumber(positionName(n), 1, st.road.InstanceLetter);
    }
    // Before the first layout the window has no rows; the layout brings the position within
    // the list again once it knows how many rows it shows.
    position = std::min<int64_t>(position, static_cast<int64_t>(st.Shared.StockCount) - CellCount + 1);
    position = std::max(position, 1);
    DrawState = 0;
    scroll_.ScrollMax = 0;
    SetVscrValue(position);

    lv::StartSubclass(static_cast<LvWindow>(view_.statusBarWindow()), 0, static_cast<uint8_t>(n), 0);
    countdown(n) = kOpeningTicks;
    view_.setCaption(stockState().StockName);
    UseCanvas(1, kCanvasBackground, 4 * view_.innerWidth(), h, kCanvasMode);
    return true;
}

void StockWindow::VScr_Change() {
    VscrChange();
    requestRedraw();
}

void StockWindow::CmdBeg() {
    HideTip();
    serviceState().CommandRunning = static_cast<uint8_t>(Slot);
    stockWindows().PendingStockUpdate = 0;
    stockWindows().CommandMark = 0;
}

void StockWindow::CmdCheck(uint32_t word) {
    namespace c = cmd_check;
    CmdBeg();
    StockWindowsState& sw = stockWindows();
    const ProgramState& st = programState();
    const int32_t count = st.Shared.StockCount;
    if ((word & c::kNotRunning) != 0 && (st.run.RunFlags & kShowRunning) != 0) RaiseUserError(u"NRUN");
    if ((word & c::kSelection) != 0 && sw.SelFirst == 0) RaiseUserError(u"NOSP");
    if ((word & c::kSingle) != 0 && sw.SelFirst != sw.SelLast) RaiseUserError(u"SEL1");
    if ((word & c::kNotFirst) != 0 && sw.SelFirst <= 1) RaiseUserError(u"NOF");
    if ((word & c::kNotLast) != 0 && sw.SelLast >= count) RaiseUserError(u"NOL");
    if ((word & c::kPictureFile) != 0) {
        const StockEntry* e = entryAt(sw.SelFirst);
        if (e == nullptr || e->FileIndex >= kNoPictureFile) RaiseUserError(u"NPIC");
    }
    if ((word & c::kSameVersion) != 0) {
        splitName(sw.SelFirst, sw.CheckBase[0], sw.CheckVersion[0]);
        splitName(sw.SelFirst + 1, sw.CheckBase[1], sw.CheckVersion[1]);
        if (sw.CheckVersion[0] != sw.CheckVersion[1]) RaiseUserError(u"DIVE");
        if ((word & c::kLeftSide) != 0 && sw.CheckBase[0] != sw.CheckBase[1] + u"L") RaiseUserError(u"NLEF");
    }
    if ((word & c::kProgress) != 0) {
        const std::u16string title = GetMenuKeyText(0x8000, static_cast<int32_t>(word & 0x7FFF));
        const int32_t total = (word & c::kSelection) != 0 && sw.SelCount != 0 ? sw.SelCount : count;
        progressDisplay().SetProgressText(title, u"", total);
    }
    stockState().StockProgress = 0;
}

void StockWindow::CmdEnd(uint8_t bits) {
    ServiceState& service = serviceState();
    if (service.CommandRunning == 0) service.CommandRunning = static_cast<uint8_t>(Slot);
    UpdateStockScrolls(bits);
    if ((bits & stock_update::kRedrawNow) != 0 && Slot >= 1 && countdown(Slot) != 0) Rfsh0();
}

void StockWindow::StartCmd() {
    const ProgramState& st = programState();
    ActiveEntry = scroll_.TopEntry + ActiveCell - 1;
    CategoryRow = 0;
    const int32_t categories = st.Shared.CategoryCount;
    if (categories > 0) {
        // The closing category after the last one ends the search at the latest.
        const SharedArray<CategoryEntry>& cats = st.Arrays.Categories;
        while (CategoryRow <= categories && cats.has(CategoryRow) && cats[CategoryRow].FirstEntry < ActiveEntry)
            ++CategoryRow;
    }
}

void StockWindow::DeSel() {
    ProgramState& st = programState();
    const auto keep = static_cast<uint16_t>(~static_cast<uint16_t>(SelectionBit));
    for (int32_t i = 1; i <= st.Shared.StockCount && st.Arrays.Stock.has(i); ++i) st.Arrays.Stock[i].SelectMask &= keep;
}

void StockWindow::SelLimits(uint16_t mask, int32_t& count) {
    StockWindowsState& sw = stockWindows();
    const ProgramState& st = programState();
    sw.SelFirst = 0;
    sw.SelLast = -1;
    sw.SelCount = 0;
    for (int32_t i = 1; i <= st.Shared.StockCount && st.Arrays.Stock.has(i); ++i) {
        if ((st.Arrays.Stock[i].SelectMask & mask) == 0) continue;
        if (sw.SelFirst == 0) sw.SelFirst = i;
        sw.SelLast = i;
        ++sw.SelCount;
    }
    count = sw.SelCount;
}

void StockWindow::Form_Activate() {
    stockWindows().ActiveStockSlot = Slot;
    stockWindows().LastStockSlot = static_cast<uint8_t>(Slot);
}

void StockWindow::Form_Deactivate() { stockWindows().ActiveStockSlot = 0; }

void StockWindow::DoExit(int16_t& cancel) {
    // A window that never took a slot, or has closed already, has nothing to give back.
    if (Slot < 1 || Slot > kStockSlots) return;
    WindowSlot& row = tableRow(Slot);
    if (row.inUse == 0) return;
    StockWindowsState& sw = stockWindows();
    row.inUse = 0;
    sw.LastStockSlot = 0;
    sw.ActiveStockSlot = 0;
    UnloadWindow(cancel, 0);
    if (cancel != 0) {
        tableRow(Slot).inUse = -1;
        return;
    }
    view_.hideForm();
    // CloseForm finds the window by its slot to store its placement.
    tableRow(Slot).inUse = -1;
    CloseForm(static_cast<uint8_t>(Slot));
    --sw.StockWindowCount;
    ServiceState& service = serviceState();
    while (service.HighestStockSlot > 0 && tableRow(service.HighestStockSlot).inUse == 0) --service.HighestStockSlot;
    SaveRegNumber(positionName(Slot), scroll_.TopEntry, programState().road.InstanceLetter);
    freeCells(1, kFreedOnExit);
    countdown(Slot) = 0;
    sw.Windows[static_cast<size_t>(Slot)] = nullptr;
    Slot = 0;
    view_.unloadForm();
}

void StockWindow::freeCells(int32_t from, int32_t callSite) {
    for (int32_t i = std::max(from, 1); i <= kMaxCells; ++i) FreeStockCell(Cells[static_cast<size_t>(i)], callSite);
}

void StockWindow::Rfsh0() {
    if (DrawState != 0 || Slot < 1) return;
    LayoutWasDirty = LayoutDirty;
    LayoutDirty = 0;
    HideTip();
    DrawState = -1;
    const int32_t count = programState().Shared.StockCount;
    if (CellCount < count) {
        scroll_.StepLimit = CellCount < 2 ? 1 : CellCount - 1;
        SetVscrMax(count - CellCount + 1);
        view_.setScrollEnabled(true);
    } else {
        view_.setScrollEnabled(false);
        SetVscrMax(1);
        scroll_.StepLimit = 1;
    }
    view_.setScrollPage(scroll_.StepLimit);
    stockWindows().LastTop[static_cast<size_t>(Slot)] = scroll_.TopEntry;
    countdown(Slot) = 0;
    DrawStockCells(*this);
    view_.paintRows();
    LastBoxWidth = BoxWidth;
    countdown(Slot) = 0;
    DrawState = 0;
}

void StockWindow::InvalS() {
    for (int32_t i = 1; i <= CellCount && i <= kMaxCells; ++i) Cells[static_cast<size_t>(i)].PictureName.clear();
    AddStockFlags(stock_update::kRedrawOwn);
}

void StockWindow::Layout(int32_t innerHeight) {
    if (Slot < 1) return;
    LayoutDirty = -1;
    const StockOptions& o = stockWindows().Options;
    const int32_t rowHeight = StockRowHeight(programState().Shared.PictureHeight);
    CellCount = RowsThatFit(innerHeight, rowHeight);
    BoxWidth = BoxWidthFor(view_.innerWidth(), StockScrollBarWidthPx(), o.InfoColumnWidth);
    PlaceStockRows(*this);
    for (int32_t i = CellCount + 1; i <= kMaxCells; ++i) {
        StockCell& c = Cells[static_cast<size_t>(i)];
        c.PictureName.clear();
        c.CaptionName.clear();
        c.CaptionSelected = 0;
    }
    freeCells(CellCount + 1, kFreedOnLayout);
    CmdEnd(stock_update::kRedrawOwn);
    mouseTracking().TrackedId = 0;
    Input.MouseCell = 0;
}

}  // namespace yov
