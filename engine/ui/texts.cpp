// Look-ups in the default texts, and the enumeration of every default text for the program.
#include "engine/ui/texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/base/events.h"
#include "engine/ui/menu_table.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

// Copies text with a terminating 0 into a buffer of capacity units (a longer text is cut);
// returns the characters written, terminator not counted.
template <class Unit>
int32_t copyTerminated(std::string_view text, Unit* buffer, int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return 0;
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(capacity) - 1);
    for (size_t i = 0; i < n; ++i) buffer[i] = static_cast<Unit>(static_cast<unsigned char>(text[i]));
    buffer[n] = 0;
    return static_cast<int32_t>(n);
}

// The key of the first definition with that identifier among the menu's counted
// definitions; null when none has it or it has no key.
const char* menuKeyOf(int menu, uint16_t identifier) {
    const MenuTableEntry& m = kMenuTable[menu];
    for (int i = 0; i < m.count; ++i) {
        const MenuDef& d = m.defs[i];
        if (d.identifier == identifier) return (d.key != nullptr && d.key[0] != 0) ? d.key : nullptr;
    }
    return nullptr;
}

}  // namespace

const char* DefaultText(std::string_view key) {
    for (const KeyText& e : kKeyTexts) {
        if (e.text != nullptr && key == e.key) return e.text;
    }
    for (const MenuTableEntry& m : kMenuTable) {
        if (m.groupMask != 0) continue;
        for (int i = 0; i < m.count; ++i) {
            const MenuDef& d = m.defs[i];
            if (d.key != nullptr && d.caption != nullptr && key == d.key) return d.caption;
        }
    }
    return nullptr;
}

const char* NumberedMessage(int32_t number) {
    for (const NumberedText& e : kNumberedTexts) {
        if (e.number == number) return e.text;
    }
    return nullptr;
}

}  // namespace lvk

using namespace lvk;

LvResult GetFixedString(int32_t list, char16_t* buffer, int32_t capacity) noexcept {
    if (list < 0 || list >= kFixedStringCount || buffer == nullptr || capacity <= 0) return 0;
    const std::string_view text = kFixedStrings[list];
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(capacity));
    for (size_t i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(text[i]);
    return static_cast<int32_t>(n);
}

LvResult GetDefTxt(const char* key, char* buffer, int32_t capacity) noexcept {
    if (key == nullptr) return 0;
    const char* text = DefaultText(key);
    return text == nullptr ? 0 : copyTerminated(text, buffer, capacity);
}

LvResult GetNumTxt(int32_t number, char16_t* buffer, int32_t capacity) noexcept {
    if (const char* text = NumberedMessage(number)) return copyTerminated(text, buffer, capacity);
    if (buffer == nullptr || capacity <= 0) return 0;
    // "Error " and the number right-aligned in 8 places, no terminator.
    char line[32];
    const int len = std::snprintf(line, sizeof line, "Error %8d", static_cast<int>(number));
    const int32_t n = std::min<int32_t>(len, capacity);
    for (int32_t i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(line[i]);
    return n;
}

LvResult GetKey(int32_t entry, char* buffer, int32_t capacity) noexcept {
    if (entry < 0 || entry >= kKeyTextCount) return 0;
    return copyTerminated(kKeyTexts[entry].key, buffer, capacity);
}

LvResult GetMenuKey(int32_t menuWord, int32_t identifier, char* buffer, int32_t capacity) noexcept {
    const uint16_t id = static_cast<uint16_t>(identifier);
    const char* key = nullptr;
    if ((menuWord & 0x8000) == 0) {
        if (menuWord < 0 || menuWord >= kMenuCount) return 0;
        key = menuKeyOf(menuWord, id);
    } else {
        for (int m = 0; m < kMenuCount && key == nullptr; ++m) {
            if (kMenuTable[m].groupMask == 0) key = menuKeyOf(m, id);
        }
    }
    return key == nullptr ? 0 : copyTerminated(key, buffer, capacity);
}

LvResult GetMenuTxt() noexcept {
    if (!HasEventCallback()) return 0;
    for (const MenuTableEntry& m : kMenuTable) {
        if (m.groupMask != 0) continue;
        SetEventText(3, m.name);
        for (int i = 0; i < m.count; ++i) {
            const MenuDef& d = m.defs[i];
            if (d.key == nullptr || d.key[0] == 0 || (d.flags & kDefNotEnumerated) != 0) continue;
            SetEventText(1, d.key);
            SetEventText(2, d.caption);
            RaiseEvent(lv_event::kDefaultText);
        }
    }
    for (const KeyText& e : kKeyTexts) {
        if (e.text == nullptr) {
            SetEventText(3, e.key);
            continue;
        }
        SetEventText(1, e.key);
        SetEventText(2, e.text);
        RaiseEvent(lv_event::kDefaultText);
    }
    SetEventText(3, "ENUM");
    for (const NumberedText& e : kNumberedTexts) {
        SetEventText(1, "E" + std::to_string(e.number));
        SetEventText(2, e.text);
        RaiseEvent(lv_event::kDefaultText);
    }
    return 0;
}
