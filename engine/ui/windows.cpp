// Window slots and subclassed controls: registration, and the engine's procedure for the
// events the program forwards from them, which become engine events for the program.
#include "engine/ui/windows.h"

#include <algorithm>
#include <cstring>

#include "engine/base/events.h"
#include "engine/ui/menus.h"

namespace lvk {
namespace {

struct FormSlot {
    LvWindow window = 0;
    uintptr_t token = 0;  // the program's hook, handed back when it is removed
    int16_t minWidth = 0;
    int16_t minHeight = 0;
};

struct SubclassEntry {
    LvWindow window = 0;
    uint8_t flags = 0;
    uint8_t code = 0;
    int16_t identifier = 0;
    uintptr_t token = 0;
};

struct MouseRecord {
    int16_t x = 0;
    int16_t y = 0;
    int32_t keys = 0;
};

// The menu bar of each form slot (255 = none).
constexpr uint8_t menuBarOfSlot(int slot) {
    if (slot >= 1 && slot <= 10) return 0;
    if (slot >= 14 && slot <= 23) return 13;
    switch (slot) {
    case 11: return 14;
    case 13: return 18;
    case 27: return 25;
    case 28: return 26;
    case 33: return 8;
    case 37: return 24;
    case 41: return 29;
    default: return 255;
    }
}

struct WindowState {
    LvWindowOps ops{};
    bool haveOps = false;
    FormSlot slots[kFormSlots];
    SubclassEntry entries[kSubclassEntries];
    int32_t entriesInUse = 0;  // grows to 500, never shrinks
    MouseRecord mouse;
    uint16_t modeWord = 0;
    int32_t columnLength = 36;
};

WindowState g_win;

int findSlot(LvWindow window) {
    if (window == 0) return -1;
    for (int s = 0; s < kFormSlots; ++s) {
        if (g_win.slots[s].window == window) return s;
    }
    return -1;
}

void raiseWindowEvent(int code, int16_t subCode) {
    DllEventRec& rec = MainEvent();
    rec.SubCode = subCode;
    RaiseEvent(static_cast<int16_t>(code));
}

void attachBar(int slot) {
    const LvWindowOps* o = WindowOps();
    const FormSlot& s = g_win.slots[slot];
    if (o == nullptr || s.window == 0) return;
    const uint8_t bar = menuBarOfSlot(slot);
    o->setMenuBar(o->context, s.window, bar == 255 ? 0 : MenuHandle(bar));
    o->drawMenuBar(o->context, s.window);
}

// A menu command: identifiers with bit 15 (generated items) are re-based on the last opened
// submenu: n + 1 for a shifted mode above 11, then ORed with the mode's low 15 bits.
uint16_t rebase(uint16_t identifier, uint16_t mode) {
    if ((identifier & 0x8000) == 0) return identifier;
    uint16_t n = identifier & 0x7FFF;
    if ((mode & 0x8000) != 0 && n > 11) ++n;
    return static_cast<uint16_t>(n | (mode & 0x7FFF));
}

void keepMinimum(const FormSlot& s, LvWindowMessage& m) {
    const int32_t e = m.edge;
    if (m.right - m.left < s.minWidth) {
        if (e == kLvEdgeLeft || e == kLvEdgeTopLeft || e == kLvEdgeBottomLeft)
            m.left = m.right - s.minWidth;
        else
            m.right = m.left + s.minWidth;
    }
    if (m.bottom - m.top < s.minHeight) {
        if (e == kLvEdgeTop || e == kLvEdgeTopLeft || e == kLvEdgeTopRight)
            m.top = m.bottom - s.minHeight;
        else
            m.bottom = m.top + s.minHeight;
    }
}

int32_t formProc(LvWindow window, LvWindowMessage& m) {
    const int slot = findSlot(window);
    if (slot < 0) return kLvProcUnknown;
    DllEventRec& rec = MainEvent();
    switch (m.message) {
    case kLvMsgMenuHelp:
        rec.Arg1 = m.identifier;
        rec.Arg3 = m.x;
        rec.Arg4 = m.y;
        raiseWindowEvent(slot, lv_event::kSubMenuHelp);
        return kLvProcDefault;
    case kLvMsgDestroy: g_win.slots[slot] = FormSlot{}; return kLvProcDefault;
    case kLvMsgCommand: {
        const uint16_t id = static_cast<uint16_t>(m.identifier);
        if ((m.source != 0 && m.source != 0xFFFF) || id < 0x1000) return kLvProcDefault;
        rec.Arg1 = g_win.modeWord;
        raiseWindowEvent(slot, static_cast<int16_t>(rebase(id, g_win.modeWord)));
        return kLvProcHandled;
    }
    case kLvMsgSysCommand:
        if (m.identifier == kLvScClose && slot == 0) {
            RaiseEvent(lv_event::kCloseShow);
            return kLvProcHandled;
        }
        return m.identifier == kLvScScreenSave ? kLvProcHandled : kLvProcDefault;
    case kLvMsgInitMenuPopup: UpdateRadioMarks(); return kLvProcDefault;
    case kLvMsgMenuSelect: {
        const uint16_t id = static_cast<uint16_t>(m.identifier);
        if (m.submenu != 0) {
            if (id >= 0x1400 && id <= 0x7FFF)
                g_win.modeWord = static_cast<uint16_t>((g_win.modeWord & 0x8000) | (id & 0x7FF0));
            else if (id == 0x13F0)
                g_win.modeWord &= 0x7FFF;
            else if (id == 0x13F1)
                g_win.modeWord |= 0x8000;
        }
        rec.Arg1 = m.identifier;
        raiseWindowEvent(slot, lv_event::kSubMenuSelect);
        return kLvProcDefault;
    }
    case kLvMsgMouseMove:
        g_win.mouse = MouseRecord{static_cast<int16_t>(m.x), static_cast<int16_t>(m.y), m.keys};
        return kLvProcDefault;
    case kLvMsgMouseWheel:
        rec.Arg1 = static_cast<int16_t>(m.delta);
        rec.Arg2 = static_cast<int16_t>(m.keys);
        rec.Arg3 = static_cast<int16_t>(m.x);
        rec.Arg4 = static_cast<int16_t>(m.y);
        raiseWindowEvent(slot, lv_event::kSubWheel);
        return kLvProcHandled;
    case kLvMsgEnterMenuLoop:
    case kLvMsgExitMenuLoop:
        raiseWindowEvent(slot,
                         m.message == kLvMsgEnterMenuLoop ? lv_event::kSubMenuLoopEnter : lv_event::kSubMenuLoopExit);
        return kLvProcHandled;
    case kLvMsgSizing:
    case kLvMsgMoving: keepMinimum(g_win.slots[slot], m); return kLvProcHandled;
    default: return kLvProcDefault;
    }
}

int findEntry(LvWindow window, int32_t hint) {
    if (window == 0) return -1;
    if (hint >= 0 && hint < g_win.entriesInUse && g_win.entries[hint].window == window) return hint;
    for (int e = 0; e < g_win.entriesInUse; ++e) {
        if (g_win.entries[e].window == window) return e;
    }
    return -1;
}

int32_t subclassProc(LvWindow window, LvWindowMessage& m) {
    const int e = findEntry(window, m.userData);
    if (e < 0) return kLvProcUnknown;
    SubclassEntry& entry = g_win.entries[e];
    DllEventRec& rec = MainEvent();
    switch (m.message) {
    case kLvMsgDestroy: entry = SubclassEntry{}; return kLvProcDefault;
    case kLvMsgContextMenu: return kLvProcHandled;
    case kLvMsgMouseHover:
        rec.Arg1 = entry.identifier;
        rec.Arg2 = m.keys;
        rec.Arg3 = static_cast<int16_t>(m.x);
        rec.Arg4 = static_cast<int16_t>(m.y);
        raiseWindowEvent(entry.code, lv_event::kSubMenuHover);
        return kLvProcDefault;
    case kLvMsgMouseLeave:
        rec.Arg1 = entry.identifier;
        raiseWindowEvent(entry.code, lv_event::kSubMenuLeave);
        return kLvProcDefault;
    default: return kLvProcDefault;
    }
}

}  // namespace

const LvWindowOps* WindowOps() { return g_win.haveOps ? &g_win.ops : nullptr; }

LvWindow FormWindow(int slot) { return slot >= 0 && slot < kFormSlots ? g_win.slots[slot].window : 0; }

int32_t MenuColumnLength() { return g_win.columnLength; }
uint16_t MenuModeWord() { return g_win.modeWord; }
void SetMenuModeWord(uint16_t word) { g_win.modeWord = word; }

static void readScreenMetrics() {
    int32_t width = 1024, height = 768, menuHeight = 20;
    if (const LvWindowOps* o = WindowOps()) o->screenMetrics(o->context, &width, &height, &menuHeight);
    if (menuHeight <= 0) menuHeight = 20;
    g_win.columnLength = std::clamp(height / menuHeight - 2, 1, 50);
}

void InitScreenMetrics() {
    readScreenMetrics();
    InitEventRecord();
    DestroyMenus();
}

int32_t CloseAllFrms() {
    for (int s = 0; s < kFormSlots; ++s) {
        if (g_win.slots[s].window != 0) CloseFrm(s);
    }
    const LvWindowOps* o = WindowOps();
    for (int e = 0; e < g_win.entriesInUse; ++e) {
        SubclassEntry& entry = g_win.entries[e];
        if (entry.window != 0 && o != nullptr) o->unhookWindow(o->context, entry.window, entry.token);
        entry = SubclassEntry{};
    }
    return g_win.entriesInUse;
}

void ResetWindowsForTest() { g_win = WindowState{}; }

}  // namespace lvk

using namespace lvk;

LvResult SetWindowOps(const LvWindowOps* ops) noexcept {
    if (ops == nullptr) {
        g_win.haveOps = false;
        return 0;
    }
    if (ops->size < sizeof(LvWindowOps)) return -1;
    std::memcpy(&g_win.ops, ops, sizeof(LvWindowOps));
    g_win.haveOps = true;
    readScreenMetrics();
    return 0;
}

LvResult WindowProc(LvWindow window, LvWindowMessage* message) noexcept {
    if (message == nullptr) return kLvProcUnknown;
    return message->hook == kLvHookControl ? subclassProc(window, *message) : formProc(window, *message);
}

LvResult OpenFrm(int16_t slot, LvWindow window, const FormLimits* limits) noexcept {
    if (slot < 0 || slot >= kFormSlots || window == 0) return -2;
    FormSlot& s = g_win.slots[slot];
    const LvWindowOps* o = WindowOps();
    if (s.window != 0 && s.window != window && o != nullptr) o->unhookWindow(o->context, s.window, s.token);
    if (s.window != window) s.token = o != nullptr ? o->hookWindow(o->context, window, kLvHookForm, slot) : 0;
    s.window = window;
    s.minWidth = limits != nullptr ? limits->MinWidth : 0;
    s.minHeight = limits != nullptr ? limits->MinHeight : 0;
    int32_t result = 0;
    if (!MenusBuilt()) {
        BuildAllMenus(limits != nullptr ? limits->Flags : 0);
        result = 0xFFFF;
    }
    attachBar(slot);
    return result;
}

LvResult CloseFrm(int32_t slot) noexcept {
    if (slot < 0 || slot >= kFormSlots || g_win.slots[slot].window == 0) return 0;
    FormSlot s = g_win.slots[slot];
    g_win.slots[slot] = FormSlot{};
    const LvWindowOps* o = WindowOps();
    if (o == nullptr) return 0;
    o->setMenuBar(o->context, s.window, 0);
    return static_cast<int32_t>(o->unhookWindow(o->context, s.window, s.token));
}

LvResult SetWindowLimits(int32_t slot, int32_t minWidth, int32_t minHeight) noexcept {
    if (slot < 0 || slot >= kFormSlots) return -2;
    g_win.slots[slot].minWidth = static_cast<int16_t>(minWidth);
    g_win.slots[slot].minHeight = static_cast<int16_t>(minHeight);
    return 0;
}

LvResult ShowMenu(int32_t slot) noexcept {
    if (slot < 0 || slot >= kFormSlots) return -2;
    attachBar(slot);
    return 0;
}

LvResult HideMenu(int32_t slot) noexcept {
    const LvWindowOps* o = WindowOps();
    const LvWindow w = FormWindow(slot);
    if (o == nullptr || w == 0) return 0;
    return o->setMenuBar(o->context, w, 0);
}

LvResult StartSubclass(LvWindow window, uint8_t flags, uint8_t code, int16_t identifier) noexcept {
    if (window == 0) return -2;
    int e = findEntry(window, -1);
    if (e >= 0) {
        g_win.entries[e].code = code;
        g_win.entries[e].identifier = identifier;
        return e * 12;
    }
    for (int i = 0; i < g_win.entriesInUse && e < 0; ++i) {
        if (g_win.entries[i].window == 0) e = i;
    }
    if (e < 0) {
        if (g_win.entriesInUse == kSubclassEntries) return kSubclassEntries;
        e = g_win.entriesInUse++;
    }
    SubclassEntry& entry = g_win.entries[e];
    entry = SubclassEntry{window, flags, code, identifier, 0};
    if (const LvWindowOps* o = WindowOps())
        entry.token = o->hookWindow(o->context, window, kLvHookControl, (flags & 1) != 0 ? -1 : e);
    return e * 12;
}

LvResult GetMouseMoveData(int32_t* xOut, int32_t* yOut) noexcept {
    if (xOut != nullptr) *xOut = g_win.mouse.x;
    if (yOut != nullptr) *yOut = g_win.mouse.y;
    return g_win.mouse.keys;
}

LvResult GetDLLVersion(char* buffer, int32_t capacity) noexcept {
    static constexpr char kVersion[] = "4.3.8F Oct 22 2004";
    if (buffer == nullptr || capacity <= 0) return 0;
    const int32_t n = std::min<int32_t>(static_cast<int32_t>(sizeof kVersion) - 1, capacity - 1);
    std::memcpy(buffer, kVersion, static_cast<size_t>(n));
    buffer[n] = 0;
    return n;
}
