// The popup's two description submenus: which description keys a vehicle's label (menu 10)
// and its technical data (menu 11) show. The choices are bits 0 and 1 of each key's flag byte,
// stored per key name under the settings subkeys "\DescSmall" and "\DescLarge".
//
// Menu 10: 0 "Clear All", 1 a separator, 2..K+1 the keys 1..K. Menu 11: 0 "Clear All",
// 1 "Set All", 2 a separator, 3..K+2 the keys 1..K, K+3 key 0. Main thread only.
#pragma once

#include <cstdint>

namespace yov {

// Reads the choices from the settings and rebuilds both submenus.
void RefreshDescMenu();
// Rewrites the key items of menus 10 and 11 with their checks.
void BuildPopupMenu();

// The commands of the submenus; item is the chosen item's position + 1.
void ToggleLabelKey(int32_t item);
void ToggleDataKey(int32_t item);
void ClearLabelKeys();
void SetAllDataKeys(bool on);

}  // namespace yov
