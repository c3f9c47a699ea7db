// The logic of one stock window (StockFrm): its slot and selection bit, its rows, its scroll
// position, the frame around its commands, opening and closing. No toolkit here: the window
// reaches its controls through StockWindowView, which the Qt window implements and tests
// replace.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "lumvatek/exports.h"
#include "program/stock/stock_cell.h"
#include "program/stock/stock_input_state.h"
#include "program/stock/stock_scroll.h"
#include "program/stock/stock_windows_state.h"

class QWidget;

namespace yov {

class StockRowsView;
class StockStatusBar;

class StockWindowView {
public:
    virtual ~StockWindowView() = default;
    virtual QWidget* form() = 0;
    virtual ScrollBarPort& scrollBar() = 0;
    virtual void setScrollEnabled(bool enabled) = 0;
    virtual void setScrollPage(int32_t step) = 0;
    virtual int32_t innerWidth() const = 0;
    // Width of a text in the category label of row 1.
    virtual double categoryTextWidth(const std::u16string& text) = 0;
    // The status bar's window, for the engine's hover and leave notices.
    virtual uintptr_t statusBarWindow() = 0;
    virtual void setCaption(const std::u16string& caption) = 0;
    // The rows as they are now (what the refresh left).
    virtual void paintRows() = 0;
    virtual void hideForm() = 0;
    // The window goes away once the event that asked for it has been handled.
    virtual void unloadForm() = 0;
    // The rows' controls; without them the refresh only fills the cell records.
    virtual StockRowsView* rowsView() { return nullptr; }
    // The status bar control; without one nothing is shown there.
    virtual StockStatusBar* statusBarControl() { return nullptr; }

    // --- What the mouse, keys and searches ask of the window's controls.
    // Box(cell) takes the focus.
    virtual void focusCell(int32_t cell) = 0;
    // The window of Box(cell), for tips and popups; null when none.
    virtual QWidget* cellWidget(int32_t cell) = 0;
    // Hover and leave notices armed for Box(cell).
    virtual void trackCell(int32_t cell) = 0;
    // Drags the stock drag text out of Box(cell); returns when the drag ends.
    virtual void dragEntries(int32_t cell, const std::u16string& dragText) = 0;
    // Drags a category's name (plain text, copy) out of CatPic(cell).
    virtual void dragCategory(int32_t cell, const std::u16string& text) = 0;
    // Asks for a name pattern; empty when nothing was entered or the box was cancelled.
    virtual std::u16string askPattern() = 0;
    virtual void beep() = 0;
};

// Precondition bits of CmdCheck's command word.
namespace cmd_check {
inline constexpr uint32_t kNotRunning = 1u << 31;
inline constexpr uint32_t kSelection = 1u << 30;
inline constexpr uint32_t kSingle = 1u << 29;
inline constexpr uint32_t kNotFirst = 1u << 28;
inline constexpr uint32_t kNotLast = 1u << 27;
inline constexpr uint32_t kPictureFile = 1u << 26;
inline constexpr uint32_t kSameVersion = 1u << 25;
inline constexpr uint32_t kLeftSide = 1u << 24;
inline constexpr uint32_t kProgress = 1u << 15;
}  // namespace cmd_check

class StockWindow {
public:
    explicit StockWindow(StockWindowView& view);
    ~StockWindow();
    StockWindow(const StockWindow&) = delete;
    StockWindow& operator=(const StockWindow&) = delete;

    // Form_Load: takes the first free slot 1..10 and opens; false when all ten are taken
    // (the window has then unloaded itself).
    bool Load();

    int16_t Slot = 0;
    int16_t SelectionBit = 0;  // this window's bit in each entry's SelectMask
    int32_t CellCount = 0;
    int32_t CreatedCells = 0;
    int32_t ActiveCell = 1;
    int32_t ActiveEntry = 0;
    int32_t CategoryRow = 0;  // the first category starting at or after ActiveEntry (StartCmd)
    int16_t DrawState = 0;
    int16_t LayoutDirty = 0;
    int16_t LayoutWasDirty = 0;  // LayoutDirty as the running refresh found it
    int32_t BoxWidth = 0;
    int32_t LastBoxWidth = 0;
    uint8_t StatusBarLayoutShown = 0;  // the layout the status bar was made for
    uint8_t StatusBarState = 0;        // what the bar shows (status_state)
    int32_t ColonWidth = 0;
    std::array<StockCell, kMaxCells + 1> Cells{};  // 1..30
    // The mouse and wheel (presses, drags, hover).
    StockInputState Input;

    StockScroll& scroll() { return scroll_; }
    StockWindowView& view() { return view_; }

    int32_t ActIndex() const { return scroll_.TopEntry + ActiveCell - 1; }
    int32_t VscrValue() const { return scroll_.TopEntry; }
    void SetVscrValue(int32_t position) { scroll_.SetValue(position); }
    int32_t VscrMax() const { return scroll_.ScrollMax; }
    void SetVscrMax(int32_t maximum) { scroll_.SetMaximum(maximum); }
    int32_t GetLastActive() const { return ActiveCell; }
    int32_t PicCnt() const { return CellCount; }
    void VscrChange() { scroll_.Change(); }
    // VScr_Change and VScr_Scroll.
    void VScr_Change();

    void CmdBeg();
    void CmdCheck(uint32_t word);
    void CmdEnd(uint8_t bits);
    void StartCmd();
    void DeSel();
    void SelLimits(uint16_t mask, int32_t& count);

    void Form_Activate();
    void Form_Deactivate();
    // Closing; cancel set on return keeps the window open.
    void DoExit(int16_t& cancel);

    // The full refresh: scroll range, the rows, the countdown cleared.
    void Rfsh0();
    // Forget the rows' pictures: the next refresh builds them again.
    void InvalS();
    // Rows and picture width for the window's inner size (height in pixels); the first
    // layout also brings the start position within the list.
    void Layout(int32_t innerHeight);

private:
    void requestRedraw();
    void freeCells(int32_t from, int32_t callSite);

    StockWindowView& view_;
    StockScroll scroll_;
};

// The rows' height for the stock's picture height.
int32_t StockRowHeight(int32_t pictureHeight);

}  // namespace yov
