// How the settings dialog stores what its controls and menus change: the memory copy that the
// next show reads at once, and the settings, through the one table of settings
// (settings_table.h). While the dialog fills its controls from memory (CfgFilling), the
// values of the mode tabs change in memory only, so filling never writes back what was read;
// the menu switches, the display mode and the cache write whatever the dialog is doing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// The value name of a per-mode setting for the mode the tabs edit: "NStpClk" & "W" or "F".
std::u16string ModeValueName(std::u16string_view base);

// Stores a number (as the settings hold it, before scaling) under a value name ("SpeedF",
// "Cache", "DDX"): the memory copy at once, the settings unless the dialog is filling and
// `whileFilling` is false. False, and nothing changed, when the setting refuses the number.
bool StoreSetting(std::u16string_view valueName, int32_t number, bool whileFilling = false);

// A text typed into a number box of the mode tabs: taken only when the whole text is a
// number, rounded to an integer that fits 32 bits; then as StoreSetting.
bool StoreTypedSetting(std::u16string_view valueName, std::u16string_view text);

// Turns a 0/1 switch of the whole program over and stores it at once; the new value.
int32_t ToggleSwitch(std::u16string_view valueName);

// The memory copy of a setting as stored (memory ÷ scale); 0 for an unknown name.
int32_t StoredNumber(std::u16string_view valueName);

}  // namespace yov
