#include "program/stock/stock_commands.h"

#include <algorithm>
#include <array>

#include "program/core/binding/engine_binding.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/utilities.h"
#include "program/core/windows/window_parts.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_options.h"
#include "program/stock/stock_search.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_status_bar.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"
#include "program/stock/tool_tip.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

constexpr int32_t kShiftKey = 256;
constexpr int32_t kFirstMenuId = 4096;
constexpr int32_t kKeyMask = 0x6FF;  // a key code without its Shift
constexpr int32_t kWheelNotch = 120;
constexpr int32_t kHoverTipMs = 5000;
constexpr uint8_t kHoverTipMask = 42;
constexpr int32_t kAltOPoint = 100;
constexpr int32_t kPartsUsed = 4233;
constexpr int32_t kDeleteEntry = 4148;
constexpr const char16_t* kInternalError = u"Internal error in Stock list window";

// What a command sees: the window, the code with its item index split off, the first entry
// shown when it began, the Shift of the key, and the notice's arguments.
struct Ctx {
    StockWindow& w;
    int32_t code = 0;
    int32_t index = 0;
    int32_t top = 0;
    int32_t shift = 0;
    int32_t arg1 = 0;
    int32_t arg3 = 0;
    int32_t arg4 = 0;
};

// A row's action; true when the command end runs after it.
using Run = bool (*)(Ctx& c, int32_t param);

struct Row {
    int32_t first;
    int32_t last;
    Run run;
    int32_t param;
};

int32_t stockCount() { return programState().Shared.StockCount; }

StockOptions& options() { return stockWindows().Options; }

uint16_t selBit(const StockWindow& w) { return static_cast<uint16_t>(w.SelectionBit); }

// The first entry of label group r; the groups past the last one start after the stock (the
// closing group), and group 0 at the first entry.
int32_t groupFirst(int32_t r) {
    const ProgramState& st = programState();
    if (r <= 0) return 1;
    if (r > st.Shared.CategoryCount || !st.Arrays.Categories.has(r)) return st.Shared.StockCount + 1;
    return st.Arrays.Categories[r].FirstEntry;
}

// --- Moving.

// The cursor to `active` with `top` as the first entry shown, then a click on its row: an
// unshifted key selects the entry alone, a shifted one extends the selection.
void cursorStep(Ctx& c, int32_t active, int32_t top) {
    StockWindow& w = c.w;
    const int32_t count = stockCount();
    if (active > count) active = count;
    if (active <= 0) active = 1;
    if (active < top) top = active;
    if (active >= top + w.CellCount) top = active - w.CellCount + 1;
    top = std::min(top, count - w.CellCount + 1);
    top = std::max(top, 1);
    w.SetVscrValue(top);
    w.ActiveEntry = active - top + 1;
    w.view().focusCell(w.ActiveEntry);
    Box_MouseDown(w, w.ActiveEntry, 0, c.shift, 0, 0);
    Box_MouseUp(w, w.ActiveEntry, 0, c.shift, 0, 0);
}

// The view alone: the cursor and the selection stay.
void viewScroll(Ctx& c, int32_t target) {
    target = std::min(target, stockCount() - c.w.CellCount + 1);
    target = std::max(target, 1);
    if (target != c.w.VscrValue()) c.w.SetVscrValue(target);
}

enum Move : int32_t {
    kPageUp,
    kPageDown,
    kEnd,
    kHome,
    kUp,
    kDown,
    kPreviousGroup,
    kNextGroup,
    kLastEntry,
    kFirstEntry
};

bool moveCursor(Ctx& c, int32_t move) {
    StockWindow& w = c.w;
    const int32_t page = w.CellCount - 1;
    int32_t active = w.ActiveEntry;
    int32_t top = c.top;
    switch (move) {
    case kPageUp:
        active -= page;
        top -= page;
        break;
    case kPageDown:
        active += page;
        top += page;
        break;
    case kEnd: active = top + w.CellCount - 1; break;
    case kHome: active = top; break;
    case kUp: --active; break;
    case kDown: ++active; break;
    case kPreviousGroup:
        if (w.CategoryRow <= 0) RaiseUserError(u"NOF");
        active = groupFirst(w.CategoryRow - 1);
        break;
    case kNextGroup: {
        // Without categories the only group to go to is the closing one after the stock.
        const int32_t categories = programState().Shared.CategoryCount;
        int32_t row = categories > 0 ? w.CategoryRow : 1;
        while (row <= categories && groupFirst(row) == active) ++row;
        w.CategoryRow = row;
        active = groupFirst(row);
        break;
    }
    case kLastEntry: active = stockCount(); break;
    case kFirstEntry: active = 1; break;
    default: break;
    }
    cursorStep(c, active, top);
    return false;
}

enum View : int32_t { kViewPageUp, kViewPageDown, kViewEnd, kViewHome, kViewUp, kViewDown, kSelLast, kSelFirst };

bool moveView(Ctx& c, int32_t view) {
    const StockWindowsState& sw = stockWindows();
    const int32_t page = c.w.CellCount - 1;
    int32_t target = c.top;
    switch (view) {
    case kViewPageUp: target -= page; break;
    case kViewPageDown: target += page; break;
    case kViewEnd: target = stockCount(); break;
    case kViewHome: target = 1; break;
    case kViewUp: --target; break;
    case kViewDown: ++target; break;
    case kSelLast: target = sw.SelLast; break;
    case kSelFirst: target = sw.SelFirst; break;
    default: break;
    }
    viewScroll(c, target);
    return false;
}

// The view to the next entry selected in this window before (step -1) or after (+1) the first
// entry shown.
bool toSelected(Ctx& c, int32_t step) {
    const ProgramState& st = programState();
    const int32_t count = stockCount();
    for (int32_t e = c.top + step;; e += step) {
        if (e < 1) RaiseUserError(u"NOF");
        if (e > count || !st.Arrays.Stock.has(e)) RaiseUserError(u"NOL");
        if ((st.Arrays.Stock[e].SelectMask & selBit(c.w)) != 0) {
            viewScroll(c, e);
            return false;
        }
    }
}

bool wheel(Ctx& c, int32_t) {
    int32_t& rest = c.w.Input.WheelRest;
    const int64_t delta = c.arg1;
    int64_t r = rest;
    switch (options().WheelMode) {
    case 1: r -= delta; break;
    case 2: r += delta; break;
    default: return true;
    }
    // Whole notches scroll one entry each; the part of a notch waits for the next notice.
    const int64_t notches = r / kWheelNotch;
    r -= notches * kWheelNotch;
    rest = static_cast<int32_t>(r);
    viewScroll(c, static_cast<int32_t>(std::clamp<int64_t>(c.top + notches, INT32_MIN / 2, INT32_MAX / 2)));
    return false;
}

bool labelJump(Ctx& c, int32_t group) {
    viewScroll(c, groupFirst(group));
    return false;
}

// --- Display options.

enum class FollowUp { None, RedrawAll, TypeMenu, WayMenu };

struct Toggle {
    uint8_t StockOptions::*field;
    const char16_t* name;
    int32_t mark;  // 0: the follow-up sets it
    FollowUp then;
};

// clang-format off
constexpr Toggle kToggles[] = {
    {&StockOptions::FaceRight, u"StockDir", stock_menu::kStockDir, FollowUp::RedrawAll},
    {&StockOptions::DescriptionTip, u"StockTip", stock_menu::kStockTip, FollowUp::None},
    {&StockOptions::ShowWidth, u"ShowWidth", stock_menu::kShowWidth, FollowUp::RedrawAll},
    {&StockOptions::ShowHeight, u"ShowHeight", stock_menu::kShowHeight, FollowUp::RedrawAll},
    {&StockOptions::ShowType, u"ShowType", 0, FollowUp::TypeMenu},
    {&StockOptions::ShowWay, u"ShowWay", 0, FollowUp::WayMenu},
    {&StockOptions::ShowDescriptionMark, u"ShowDescX", stock_menu::kShowDescX, FollowUp::RedrawAll},
    {&StockOptions::ShowPaletteSize, u"ShowPalNum", stock_menu::kShowPalNum, FollowUp::RedrawAll},
    {&StockOptions::ShowPictureSize, u"ShowPicSize", stock_menu::kShowPicSize, FollowUp::RedrawAll},
};
// clang-format on
enum ToggleIndex : int32_t { kTStockDir, kTStockTip, kTWidth, kTHeight, kTType, kTWay, kTDescX, kTPalNum, kTPicSize };

void check(int32_t identifier, int32_t state) { lv::CheckMenu(identifier, state != 0 ? 1 : 0); }

bool toggle(Ctx&, int32_t which) {
    const Toggle& t = kToggles[which];
    uint8_t& value = options().*t.field;
    value = static_cast<uint8_t>(~value & 1);
    if (t.mark != 0) check(t.mark, value);
    SaveRegNumber(t.name, value, u"");
    switch (t.then) {
    case FollowUp::TypeMenu:
        SyncTypeMenu();
        InvalidateAllStock();
        break;
    case FollowUp::WayMenu:
        SyncWayMenu();
        InvalidateAllStock();
        break;
    case FollowUp::RedrawAll: InvalidateAllStock(); break;
    case FollowUp::None: break;
    }
    return true;
}

enum Choice : int32_t { kShowFile, kShowAuth, kAuthSort, kAuthCut, kStatusBar };

struct ChoiceRow {
    uint8_t StockOptions::*field;
    const char16_t* name;
    int32_t firstCode;
};

constexpr ChoiceRow kChoices[] = {
    {&StockOptions::ShowFile, u"ShowFile", stock_menu::kShowFileFirst},
    {&StockOptions::AuthorNames, u"ShowAuth", stock_menu::kShowAuthFirst},
    {&StockOptions::AuthorOrder, u"AuthSort", stock_menu::kAuthSortFirst},
    {&StockOptions::AuthorGroups, u"AuthCut", stock_menu::kAuthCutFirst},
    {&StockOptions::StatusBarLayout, u"StBar", stock_menu::kStatusBarFirst},
};

bool choose(Ctx& c, int32_t which) {
    const ChoiceRow& r = kChoices[which];
    StockOptions& o = options();
    const auto value = static_cast<uint8_t>(c.code - r.firstCode);
    o.*r.field = value;
    // The authors menu is built from its order and grouping: rebuilt before they are stored.
    if (which == kAuthSort || which == kAuthCut) BuildStockMenu();
    SaveRegNumber(r.name, value, u"");
    switch (which) {
    case kShowFile:
        SetVFile();
        InvalidateAllStock();
        break;
    case kShowAuth:
        InvalidateAllStock();
        BuildStockMenu();
        break;
    case kStatusBar: {
        SyncStatusBarMenu();
        ForEachStockWindow([](int, StockWindow& w) { SetStBar(w); });
        break;
    }
    default: break;
    }
    return true;
}

// --- Searches and selections.

// The command word goes to the search with the item's index, or its author for the authors
// menus.
bool search(Ctx& c, int32_t word) {
    const bool author = (word & 0xFF) == search_code::kAuthor;
    const int32_t value = (word & 0xFF) == search_code::kAll || (word & 0xFF) == search_code::kName
                              ? 0
                              : (author ? MenuAuthor(c.index) : c.index);
    SetStockOption(c.w, word, value);
    return true;
}

// F3, Shift+F3 (and the menu's Find Previous): the criterion in force again, else a name
// pattern is asked for.
bool findAgain(Ctx& c, int32_t backwards) {
    if (searchCriterion().Count == 0) {
        SetStockOption(c.w, search_code::kName, 0);
    } else {
        StockItemCmd(c.w, backwards);
    }
    return true;
}

bool invertSelection(Ctx& c, int32_t) {
    ProgramState& st = programState();
    for (int32_t i = 1; i <= st.Shared.StockCount && st.Arrays.Stock.has(i); ++i)
        st.Arrays.Stock[i].SelectMask ^= selBit(c.w);
    AddStockFlags(stock_update::kRedrawOwn);
    return true;
}

// --- Windows, menus, tips.

bool newWindow(Ctx& c, int32_t fromHere) {
    if (stockWindows().StockWindowCount >= kStockSlots) {
        ShowMsgBox(GetText(u"MANYS"), msgbox::kOk, u"");
        return false;
    }
    if (fromHere != 0) stockWindows().RequestedTop = c.top;
    windowParts().showStockBrowser();
    return false;
}

bool closeWindow(Ctx& c, int32_t) {
    int16_t cancel = 0;
    c.w.DoExit(cancel);
    return false;
}

bool exitStockList(Ctx& c, int32_t) {
    ForEachStockWindow([&c](int s, StockWindow& other) {
        if (s == c.w.Slot) return;
        int16_t cancel = 0;
        other.DoExit(cancel);
    });
    return closeWindow(c, 0);
}

// Alt+O: the window's own popup menu (the one a right click opens) at its client point
// (100, 100).
bool popupMenu(Ctx& c, int32_t) {
    ShowStockPopup(c.w, kAltOPoint, kAltOPoint, c.w.view().form());
    return true;
}

// Both items end at the common keys, as this window has no row for either.
bool deleteWithParts(Ctx& c, int32_t) {
    StockFCmd(c.w, kPartsUsed);
    StockFCmd(c.w, kDeleteEntry);
    return false;
}

bool menuHover(Ctx& c, int32_t) {
    const int32_t id = c.arg1;
    if (id < 0 || id >= kLabelMenu || options().StatusBarLayout == 0) return false;
    c.w.StatusBarState = status_state::kMenuTip;
    const std::u16string tip = GetMenuTip(id);
    SBarMenuTip(c.w, &tip);
    return true;
}

bool menuLoopEnd(Ctx& c, int32_t) {
    if (options().StatusBarLayout != 0) {
        SBarMenuTip(c.w, nullptr);
        c.w.StatusBarState = status_state::kPanels;
    }
    return true;
}

bool hover(Ctx& c, int32_t) {
    if (modalState().ModalDepth != 0) return false;
    if (c.arg1 == 0) {
        SBarHover(c.w, c.arg3, c.arg4);
        return false;
    }
    if (options().DescriptionTip != 1) return false;
    StockInputState& in = c.w.Input;
    in.HoverCell = c.arg1;
    in.HoverX = c.arg3;
    in.HoverY = c.arg4;
    // The description may come from disk: only read when the tip can be shown.
    if (serviceState().RefreshCountdown[static_cast<size_t>(c.w.Slot)] == 0) {
        std::u16string text = GetDescriptionText(c.top + c.arg1 - 1, kHoverTipMask, u"\r\n");
        ShowTip(text, c.w.view().cellWidget(c.arg1), 0, 0, kHoverTipMs);
    }
    return false;
}

bool leave(Ctx&, int32_t) {
    mouseTracking().TrackedId = 0;
    HideTip();
    return false;
}

// The dispatcher table: a code (or a range of them, for choices) and what it does. Generated
// items are looked up by the base of their range.
// clang-format off
constexpr Row kRows[] = {
    // Cursor and view.
    {33, 33, moveCursor, kPageUp},                    // PageUp
    {34, 34, moveCursor, kPageDown},                  // PageDown
    {35, 35, moveCursor, kEnd},                       // End: the last row shown
    {36, 36, moveCursor, kHome},                      // Home: the first row shown
    {38, 38, moveCursor, kUp},
    {40, 40, moveCursor, kDown},
    {545, 545, moveCursor, kPreviousGroup},           // Ctrl+PageUp
    {546, 546, moveCursor, kNextGroup},               // Ctrl+PageDown
    {547, 547, moveCursor, kLastEntry},               // Ctrl+End
    {548, 548, moveCursor, kFirstEntry},              // Ctrl+Home
    {1057, 1057, moveView, kViewPageUp},              // Alt+PageUp
    {1058, 1058, moveView, kViewPageDown},            // Alt+PageDown
    {1059, 1059, moveView, kViewEnd},                 // Alt+End
    {1060, 1060, moveView, kViewHome},                // Alt+Home
    {1062, 1062, moveView, kViewUp},                  // Alt+Up
    {1064, 1064, moveView, kViewDown},                // Alt+Down
    {1313, 1313, toSelected, -1},                     // Shift+Alt+PageUp
    {1318, 1318, toSelected, -1},                     // Shift+Alt+Up
    {1314, 1314, toSelected, 1},                      // Shift+Alt+PageDown
    {1320, 1320, toSelected, 1},                      // Shift+Alt+Down
    {1315, 1315, moveView, kSelLast},                 // Shift+Alt+End
    {1316, 1316, moveView, kSelFirst},                // Shift+Alt+Home
    {stock_notice::kWheel, stock_notice::kWheel, wheel, 0},

    // Display options.
    {68, 68, toggle, kTStockDir},                     // D
    {4151, 4151, toggle, kTStockDir},                 // "Direction Right"
    {4152, 4152, toggle, kTStockTip},                 // "Description as ToolTip"
    {4153, 4153, toggle, kTWidth},
    {4154, 4154, toggle, kTHeight},
    {4155, 4155, toggle, kTType},
    {4156, 4156, toggle, kTWay},
    {4157, 4157, toggle, kTDescX},
    {4246, 4246, toggle, kTPalNum},
    {4412, 4412, toggle, kTPicSize},
    {4254, 4257, choose, kShowFile},                  // "Show Filename": No .. Full path
    {4344, 4346, choose, kShowAuth},                  // "Show Authors"
    {4347, 4349, choose, kAuthSort},
    {4350, 4353, choose, kAuthCut},
    {4369, 4375, choose, kStatusBar},                 // "Status Bar": Hide .. Empty

    // Searches and selections: the command word of the search.
    {577, 577, search, 512},                          // Ctrl+A: select all
    {4161, 4161, search, 512},
    {4172, 4172, search, 768},                        // deselect all
    {4242, 4242, search, 513},                        // select by name pattern
    {4243, 4243, search, 769},                        // deselect by name pattern
    {582, 582, search, 1},                            // Ctrl+F
    {4132, 4132, search, 1},
    {114, 114, findAgain, 0},                         // F3
    {4137, 4137, findAgain, 0},
    {370, 370, findAgain, search_action::kBackwards}, // Shift+F3
    {4565, 4565, findAgain, search_action::kBackwards},  // "Find Previous"
    {5120, 5120, search, 4},                          // find type
    {5152, 5152, search, 516},
    {5168, 5168, search, 772},
    {5200, 5200, search, 17156},
    {7936, 7936, search, 5},                          // find way
    {5888, 5888, search, 517},
    {6144, 6144, search, 773},
    {6656, 6656, search, 17157},
    {15360, 15360, search, 6},                        // find author
    {13312, 13312, search, 518},
    {14336, 14336, search, 774},
    {11264, 11264, search, 17158},
    {4173, 4173, invertSelection, 0},

    // Windows, menus, tips.
    {599, 599, newWindow, 0},                         // Ctrl+W
    {4114, 4114, newWindow, 0},
    {343, 343, newWindow, 1},                         // Shift+W: opens at this window's place
    {4414, 4414, newWindow, 1},
    {4115, 4115, closeWindow, 0},
    {4116, 4116, exitStockList, 0},
    {1103, 1103, popupMenu, 0},                       // Alt+O
    {558, 558, deleteWithParts, 0},                   // Ctrl+Delete
    {4413, 4413, deleteWithParts, 0},
    {stock_notice::kMenuHover, stock_notice::kMenuHover, menuHover, 0},
    {stock_notice::kMenuLoopEnd, stock_notice::kMenuLoopEnd, menuLoopEnd, 0},
    {stock_notice::kHover, stock_notice::kHover, hover, 0},
    {stock_notice::kLeave, stock_notice::kLeave, leave, 0},
};
// clang-format on

const Row* findRow(int32_t code) {
    for (const Row& r : kRows) {
        if (code >= r.first && code <= r.last) return &r;
    }
    return nullptr;
}

// The row of a code: after the item index is split off, and for a key with Shift and no row
// of its own, the key without it.
const Row* rowOf(int32_t& code, int32_t& index) {
    const int32_t original = code;
    SplitCmdId(code, index);
    if (const Row* r = findRow(code)) return r;
    if (original < kFirstMenuId && (original & kShiftKey) != 0) {
        code = original & kKeyMask;
        SplitCmdId(code, index);
        return findRow(code);
    }
    return nullptr;
}

}  // namespace

bool StockCommandHasRow(int32_t code) {
    if (code > kLabelMenu) return true;
    int32_t index = 0;
    return rowOf(code, index) != nullptr;
}

bool StockFCmd(StockWindow& w, int32_t code, int32_t arg1, int32_t arg2, int32_t arg3, int32_t arg4) {
    (void)arg2;
    StockCommandState& state = stockCommandState();
    // Commands nest (a menu item can run two others): the inner one's end must not clear the
    // outer one's mark.
    struct Busy {
        uint8_t& flag;
        uint8_t before;
        explicit Busy(uint8_t& f) : flag(f), before(f) { flag = 1; }
        ~Busy() { flag = before; }
    } busy(state.StockCmdBusy);
    bool handled = true;
    bool end = false;
    int32_t fallback = code;
    try {
        w.StartCmd();
        int32_t selected = 0;
        w.SelLimits(selBit(w), selected);
        Ctx c{w};
        c.arg1 = arg1;
        c.arg3 = arg3;
        c.arg4 = arg4;
        c.top = w.VscrValue();
        if (code > kLabelMenu) {
            end = labelJump(c, code - kLabelMenu);
        } else {
            c.shift = (code & kShiftKey) != 0 ? 1 : 0;
            c.code = code;
            const Row* row = rowOf(c.code, c.index);
            if (row != nullptr) {
                end = row->run(c, row->param);
            } else {
                handled = false;
                fallback = c.code;
            }
        }
    } catch (const ProgramError& e) {
        if (e.number() == error_number::kReported) throw;
        if (e.number() == error_number::kNotMine) {
            SBarText(w, UserErrorText(e.description()));
        } else {
            ShowMsgBox(decimal(e.number()) + u": " + e.description(), msgbox::kOk, kInternalError);
        }
        end = true;
    } catch (...) {
        const PendingError e = currentPendingError();
        ShowMsgBox(decimal(e.number) + u": " + e.description, msgbox::kOk, kInternalError);
        end = true;
    }
    // A window closed by its command has nothing left to end.
    if (end && w.Slot != 0) w.CmdEnd(0);
    if (handled) return true;
    return HandleFormCmd(fallback, w.view().form(), arg1);
}

}  // namespace yov
