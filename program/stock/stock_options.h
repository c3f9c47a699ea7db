// The display options of the stock windows: read when the first window of the run opens
// (the later ones share them), mirrored in the check marks of the stock windows' menu.
#pragma once

#include <cstdint>

namespace yov {

// Menu items that mirror the options.
namespace stock_menu {
inline constexpr int32_t kStatusBarFirst = 4369;  // 4369 + "StBar" (0..6)
inline constexpr int32_t kShowFileFirst = 4254;   // 4254 + ShowFile (0..3)
inline constexpr int32_t kShowAuthFirst = 4344;   // 4344 + "ShowAuth" (0..2)
inline constexpr int32_t kAuthSortFirst = 4347;   // 4347 + "AuthSort" (0..2)
inline constexpr int32_t kAuthCutFirst = 4350;    // 4350 + "AuthCut" (0..3)
inline constexpr int32_t kShowWidth = 4153;
inline constexpr int32_t kShowHeight = 4154;
inline constexpr int32_t kShowPalNum = 4246;
inline constexpr int32_t kShowPicSize = 4412;
inline constexpr int32_t kShowDescX = 4157;
inline constexpr int32_t kShowWay = 4156;
inline constexpr int32_t kShowType = 4155;
inline constexpr int32_t kStockTip = 4152;
inline constexpr int32_t kStockDir = 4151;
inline constexpr int32_t kWheelOne = 4416;
inline constexpr int32_t kWheelTwo = 4417;
inline constexpr int32_t kReplOwn = 4467;
}  // namespace stock_menu

// Reads "StkPicX" and the authors menu's options, builds the popup menu, reads the other
// options with their menu marks, syncs the radio, way and type items and builds the category
// menu.
void ReadStockOptions();

// Radio marks of the second-line items by ShowFile.
void SetVFile();
// Radio marks of the status-bar items by "StBar".
void SyncStatusBarMenu();
// The type and way items' marks, and the enabled state of their sub-items.
void SyncTypeMenu();
void SyncWayMenu();

}  // namespace yov
