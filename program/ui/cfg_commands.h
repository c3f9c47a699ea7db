// Command codes of the settings dialog: its keys (Shift × 256 + key code) and menu ids, and
// the menu marks they set.
#pragma once

#include <cstdint>

#include "program/core/binding/engine_binding.h"

namespace yov::cfg_cmd {

inline constexpr int32_t kF5 = 116;
inline constexpr int32_t kShiftF5 = 372;
inline constexpr int32_t kCtrlL = 588;
inline constexpr int32_t kCtrlW = 599;
inline constexpr int32_t kAlt1 = 1073;
inline constexpr int32_t kAlt4 = 1076;
inline constexpr int32_t kStockList = 4096;
inline constexpr int32_t kTestWindow = 4100;
inline constexpr int32_t kClearCache = 4101;
inline constexpr int32_t kTestFullScreen = 4102;
inline constexpr int32_t kFirstCache = 4104;
inline constexpr int32_t kLastCache = 4107;
inline constexpr int32_t kExit = 4116;
inline constexpr int32_t kDefaultDirection = 4217;
inline constexpr int32_t kFirstColourTranslation = 4283;
inline constexpr int32_t kLastColourTranslation = 4286;
inline constexpr int32_t kHighPriority = 4298;
inline constexpr int32_t kMenuSelect = 4386;
inline constexpr int32_t kBackup = 4389;
inline constexpr int32_t kMusic = 4483;
inline constexpr int32_t kMenuLoopLeft = 4550;
inline constexpr int32_t kLanguage = 5264;

inline void checkMenu(int32_t id, bool on) { lv::CheckMenu(id, on ? 1 : 0); }

}  // namespace yov::cfg_cmd
