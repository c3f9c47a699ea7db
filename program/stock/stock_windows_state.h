// What all stock windows share: the windows by slot, which one is active or runs a command,
// the update bits a command collects, the figures of the last selection scan, the display
// options read when the first window opens, and the tool tip's state.
//
// The window table's own columns (in use, the window, the redraw countdowns, the highest
// stock slot) are the core's (ProgramState::WindowTable, ServiceState); the slot of the
// window running a command is ServiceState::CommandRunning.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace yov {

class StockWindow;

inline constexpr int kStockSlots = 10;  // slots 1..10
inline constexpr int kMaxCells = 30;

// Display options of every stock window, stored under the program key by the names in
// quotes.
struct StockOptions {
    int32_t InfoColumnWidth = 0;  // "StkPicX"; 0 until the first window of the run has read it
    uint8_t StatusBarLayout = 4;  // "StBar", 0 (none) to 6
    uint8_t ShowFile = 0;
    uint8_t ShowWidth = 1;
    uint8_t ShowHeight = 0;
    uint8_t ShowPaletteSize = 0;      // "ShowPalNum": the picture's palette colours
    uint8_t ShowPictureSize = 0;      // "ShowPicSize": the loaded picture's data size
    uint8_t ShowDescriptionMark = 1;  // "ShowDescX": the "D" of an entry with a description
    uint8_t ShowWay = 1;
    uint8_t ShowType = 1;
    uint8_t DescriptionTip = 0;  // "StockTip": an entry's description as its tool tip
    uint8_t FaceRight = 0;       // "StockDir": vehicles without a direction of their own face right
    uint8_t WheelMode = 1;
    uint8_t ReplOwn = 1;
    // The authors menu's options, read before that menu is built.
    uint8_t AuthorNames = 0;   // "ShowAuth": 0 none, else which of an author's names
    uint8_t AuthorOrder = 0;   // "AuthSort"
    uint8_t AuthorGroups = 0;  // "AuthCut": how the authors menu is cut into groups
};

struct StockWindowsState {
    // The logic of the stock window open in each slot (index 1..10), null when none.
    std::array<StockWindow*, kStockSlots + 1> Windows{};
    int32_t ActiveStockSlot = 0;
    uint8_t LastStockSlot = 0;
    int32_t StockWindowCount = 0;
    uint8_t PendingStockUpdate = 0;
    uint8_t CommandMark = 0;
    // The last SelLimits: first and last selected entry (0 and -1 for none), how many.
    int32_t SelFirst = 0;
    int32_t SelLast = -1;
    int32_t SelCount = 0;
    // One-shot first entry of the next window to open (0: its slot's stored position).
    int32_t RequestedTop = 0;
    // The first entry each slot showed at its last full redraw.
    std::array<int32_t, kStockSlots + 1> LastTop{};
    // The names of entries SelFirst and SelFirst + 1 split at their first "~", kept by
    // CmdCheck for the command that follows: base names and version parts.
    std::array<std::u16string, 2> CheckBase;
    std::array<std::u16string, 2> CheckVersion;

    StockOptions Options;

    // The tool tip.
    uint8_t TipShown = 0;
    std::u16string TipText;
};

StockWindowsState& stockWindows();

// The stock window of a slot 1..10, null when none is open there.
StockWindow* StockWindowAt(int slot);

}  // namespace yov
