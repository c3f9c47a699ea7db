// What the engine needs of the program's windows and menus, and what the program tells the
// engine about them.
//
// The engine owns the window slots, the menu tables with their command identifiers and the
// logic of the registered windows' procedure, but no toolkit. The program hands it this
// table of operations (SetWindowOps) implemented with its toolkit, and forwards each
// registered window's events to the engine's procedure (WindowProc). Menus are LvHandle ids
// the program makes; windows are LvWindow values the program chooses. Captions are UTF-8.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"

// Item state bits (LvMenuItem::state, LvWindowOps::itemState).
inline constexpr uint32_t kLvItemSeparator = 0x01;  // a separator line (insert only)
inline constexpr uint32_t kLvItemChecked = 0x02;    // a check mark
inline constexpr uint32_t kLvItemRadio = 0x04;      // the mark, when set, is drawn as a radio dot
inline constexpr uint32_t kLvItemGrayed = 0x08;     // greyed and disabled
inline constexpr uint32_t kLvItemBreak = 0x10;      // starts a new column, with a separating line

struct LvMenuItem {
    int32_t identifier;   // command identifier (16-bit values), data of the item
    const char* caption;  // UTF-8; "&" marks the access key, a TAB precedes accelerator text
    LvHandle submenu;     // not 0: the item opens this menu
    uint32_t state;       // kLvItem* bits
};

// Flags of trackPopup.
inline constexpr int32_t kLvPopupReturnCmd = 0x1;  // return the chosen identifier instead of sending it as a command
inline constexpr int32_t kLvPopupNoNotify = 0x2;   // send no selection, popup or menu-loop notifications

// Kinds of hooked windows.
inline constexpr int32_t kLvHookForm = 1;     // a window registered in a form slot (OpenFrm)
inline constexpr int32_t kLvHookControl = 2;  // a control subclassed for hover and leave (StartSubclass)

// A display mode; refreshRate 0 is the display's default rate.
struct LvDisplayMode {
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    int32_t refreshRate;
};

struct LvWindowOps {
    uint32_t size;  // sizeof(LvWindowOps)
    void* context;  // handed back to every operation

    // Menus. Every operation returns 0 for success or a positive error number unless said.
    LvHandle (*createMenu)(void* context, int32_t menuBar);  // 0 when it cannot be made
    int32_t (*destroyMenu)(void* context, LvHandle menu);    // the menu alone, not its submenus
    // position -1 appends
    int32_t (*insertItem)(void* context, LvHandle menu, int32_t position, const LvMenuItem* item);
    // the item's submenu, if any, is left alive and handed to *submenu (0 for none)
    int32_t (*removeItem)(void* context, LvHandle menu, int32_t position, LvHandle* submenu);
    int32_t (*itemCount)(void* context, LvHandle menu);  // -1 for an unknown menu
    // position of the top-level item with that identifier, -1 when none
    int32_t (*findItem)(void* context, LvHandle menu, int32_t identifier);
    // sets the bits of mask to those of state; returns the previous state bits, -1 when the
    // item does not exist (mask 0 only asks)
    int32_t (*itemState)(void* context, LvHandle menu, int32_t position, uint32_t mask, uint32_t state);
    // makes the item open submenu (0: none); the previous one goes to *previous
    int32_t (*setSubmenu)(void* context, LvHandle menu, int32_t position, LvHandle submenu, LvHandle* previous);

    // Windows.
    int32_t (*setMenuBar)(void* context, LvWindow window, LvHandle menuBar);  // 0 removes it
    int32_t (*drawMenuBar)(void* context, LvWindow window);
    // Shows menu at a screen point, owned by owner. Returns the chosen identifier (0 for
    // none) with kLvPopupReturnCmd, else 1 when the menu was shown, 0 when it could not be.
    // Without kLvPopupReturnCmd a chosen item reaches the owner as a command afterwards,
    // once the popup has returned, as a posted command would.
    int32_t (*trackPopup)(void* context, LvHandle menu, LvWindow owner, int32_t x, int32_t y, int32_t flags);
    int32_t (*clientToScreen)(void* context, LvWindow window, int32_t* x, int32_t* y);
    // Starts forwarding the window's events to WindowProc with the given hook kind, handing
    // userData back in every message. Returns a token for unhookWindow, 0 on failure.
    uintptr_t (*hookWindow)(void* context, LvWindow window, int32_t hook, int32_t userData);
    int32_t (*unhookWindow)(void* context, LvWindow window, uintptr_t token);
    // Screen size and the height of one menu bar row, in pixels.
    int32_t (*screenMetrics)(void* context, int32_t* width, int32_t* height, int32_t* menuHeight);
    // Display modes, for the engine's mode list: index 0 is the screen's current mode, 1 and up
    // further modes the program offers. 0 when *mode was filled, non-zero past the last index.
    // May be null. Without modes beyond index 0 the engine offers the screen's mode and common
    // smaller sizes at 16 and 32 bits; "setting" any of them renders at that size and the
    // presenter scales the frames to the screen.
    int32_t (*displayMode)(void* context, int32_t index, LvDisplayMode* mode);
};

// Messages a hooked window forwards (LvWindowMessage::message).
inline constexpr int32_t kLvMsgCommand = 1;        // identifier; source 0 for a menu item (others pass on)
inline constexpr int32_t kLvMsgSysCommand = 2;     // identifier: kLvScClose or kLvScScreenSave
inline constexpr int32_t kLvMsgMenuSelect = 3;     // identifier, submenu (0 for a command item)
inline constexpr int32_t kLvMsgMenuHelp = 4;       // identifier, x, y (screen)
inline constexpr int32_t kLvMsgInitMenuPopup = 5;  // submenu: the menu about to open
inline constexpr int32_t kLvMsgEnterMenuLoop = 6;
inline constexpr int32_t kLvMsgExitMenuLoop = 7;
inline constexpr int32_t kLvMsgMouseMove = 8;    // x, y (client), keys
inline constexpr int32_t kLvMsgMouseWheel = 9;   // delta, keys, x, y (screen)
inline constexpr int32_t kLvMsgSizing = 10;      // edge, rectangle (in and out)
inline constexpr int32_t kLvMsgMoving = 11;      // as kLvMsgSizing
inline constexpr int32_t kLvMsgMouseHover = 12;  // x, y (client), keys
inline constexpr int32_t kLvMsgMouseLeave = 13;
inline constexpr int32_t kLvMsgContextMenu = 14;
inline constexpr int32_t kLvMsgDestroy = 15;  // the window is going away; its hook goes with it

inline constexpr int32_t kLvScClose = 0xF060;
inline constexpr int32_t kLvScScreenSave = 0xF140;

// Edges for kLvMsgSizing, as the window system numbers them.
inline constexpr int32_t kLvEdgeLeft = 1;
inline constexpr int32_t kLvEdgeRight = 2;
inline constexpr int32_t kLvEdgeTop = 3;
inline constexpr int32_t kLvEdgeTopLeft = 4;
inline constexpr int32_t kLvEdgeTopRight = 5;
inline constexpr int32_t kLvEdgeBottom = 6;
inline constexpr int32_t kLvEdgeBottomLeft = 7;
inline constexpr int32_t kLvEdgeBottomRight = 8;

struct LvWindowMessage {
    int32_t hook;      // kLvHookForm or kLvHookControl, as hooked
    int32_t userData;  // as handed to hookWindow
    int32_t message;   // kLvMsg*
    int32_t identifier;
    int32_t source;
    LvHandle submenu;
    int32_t x, y;
    int32_t delta;
    int32_t keys;  // 0x1 left, 0x2 right, 0x10 middle button, 0x4 Shift, 0x8 Ctrl
    int32_t edge;
    int32_t left, top, right, bottom;
};

// Results of WindowProc.
inline constexpr int32_t kLvProcDefault = 0;   // let the window's own handling go on
inline constexpr int32_t kLvProcHandled = 1;   // swallowed (a sizing rectangle may have been changed)
inline constexpr int32_t kLvProcUnknown = -1;  // no slot or entry holds the window; nothing was done
