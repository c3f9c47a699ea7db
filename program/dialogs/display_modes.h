// The display mode of the full-screen show as the settings dialog offers it: for a chosen
// resolution the colour depths it has, for a resolution and depth the refresh rates, their
// captions, and which resolution to select for the stored one. The dialog's combos show
// these lists one item per entry, so an entry and its item always share their place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "program/dialogs/cfg_state.h"

namespace yov {

inline constexpr int kMaxDepths = 10;
inline constexpr int kMaxRates = 10;

// The display modes the engine reported, entries 1..count of four parallel arrays.
struct DisplayModes {
    int32_t count = 0;
    const int32_t* width = nullptr;
    const int32_t* height = nullptr;
    const int32_t* depth = nullptr;
    const int32_t* rate = nullptr;
};

// The modes of the main state (filled by the dialog through EnumDDModes).
DisplayModes CollectedDisplayModes();

// "1024 × 768".
std::u16string ResolutionCaption(int32_t width, int32_t height);

// The caption of a colour depth, empty for a depth the dialog does not offer (anything but
// 4, 8, 16, 24 and 32).
std::u16string DepthCaption(int32_t depth);

// "75 Hz".
std::u16string RateCaption(int32_t rate);

// The distinct depths of the resolution, in the modes' order; depths without a caption are
// left out, and at most kMaxDepths are offered.
std::vector<int32_t> DepthsOf(const DisplayModes& modes, int32_t width, int32_t height);

// The distinct refresh rates above 0 of the resolution and depth, in the modes' order, at
// most kMaxRates.
std::vector<int32_t> RatesOf(const DisplayModes& modes, int32_t width, int32_t height, int32_t depth);

// The 0-based entry of the list to select for the stored resolution: the stored one, else
// (the stored one is not listed) the screen's size, else the first; -1 for an empty list.
// `screenSize` tells whether the stored one was missing, since the dialog then takes the
// screen's size before the entry's handler overwrites it.
int ResolutionToSelect(const ResolutionList& list, int32_t width, int32_t height, int32_t screenWidth,
                       int32_t screenHeight, bool* screenSize = nullptr);

// The 0-based place of value in values, else 0 (the first); -1 for an empty list.
int EntryToSelect(const std::vector<int32_t>& values, int32_t value);

}  // namespace yov
