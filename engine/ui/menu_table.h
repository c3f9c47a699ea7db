// The static definitions of the program's 31 menus: every item with its command
// identifier, default English caption and text key. The command identifiers are the
// contract with the windows' command handlers.
#pragma once

#include <cstdint>

namespace lvk {

// One item definition. A submenu's definitions follow its opening definition and end with an
// end definition; so does every menu's list.
struct MenuDef {
    uint16_t flags;       // kind in bits 0-6 (or a menu number with kMenuOpensMenu), groups
    uint16_t identifier;  // 0: the next automatic identifier
    const char* caption;  // default English caption; null for the generated-numbers item
    const char* key;      // text key of the caption; null for none
};

enum : uint16_t {
    kDefEnd = 0,
    kDefCommand = 1,
    kDefSeparator = 2,
    kDefSubmenu = 3,  // its definitions follow
    kDefNumbers = 4,  // generated numbers
    kDefKindMask = 0x7F,
    kDefOpensMenu = 0x80,  // the item opens the menu numbered in bits 0-6
    kDefCheckable = 0x200,
    kDefNotEnumerated = 0x8000,  // left out of the default-text enumeration
};

inline uint16_t DefKind(const MenuDef& d) { return d.flags & kDefKindMask; }
inline bool DefOpensMenu(const MenuDef& d) { return (d.flags & kDefOpensMenu) != 0; }
inline bool DefIsInlineSubmenu(const MenuDef& d) { return !DefOpensMenu(d) && DefKind(d) == kDefSubmenu; }
inline bool DefIsEnd(const MenuDef& d) { return !DefOpensMenu(d) && DefKind(d) == kDefEnd; }

struct MenuTableEntry {
    const MenuDef* defs;  // first definition
    uint16_t count;       // definitions that searches look at (the closing end not counted)
    uint16_t groupMask;   // not 0: built only from definitions sharing a bit with it
    uint8_t kind;         // 1 menu bar, 0 popup
    const char* name;     // text key of the menu, null for none
};

inline constexpr int kMenuCount = 31;
extern const MenuTableEntry kMenuTable[kMenuCount];

// Index just past the definition at i and, for an inline submenu, everything up to and
// including its end definition; never beyond count.
int SkipDefinition(const MenuDef* defs, int count, int i);

}  // namespace lvk
