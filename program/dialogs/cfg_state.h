// The settings dialog's own fields (those the window keeps between its handlers) and the
// program-wide filling counter its handlers test before they store anything.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace yov {

inline constexpr int kMaxResolutions = 20;

// The distinct resolutions of the display-mode list, in the engine's order; entries 1..count.
struct ResolutionList {
    int16_t count = 0;
    std::array<int16_t, kMaxResolutions + 1> width{};
    std::array<int16_t, kMaxResolutions + 1> height{};
};

// Tabs of Tab1 (1-based; the fourth is removed when the dialog loads).
inline constexpr uint8_t kTabMain = 1;
inline constexpr uint8_t kTabFullScreen = 2;
inline constexpr uint8_t kTabWindow = 3;
inline constexpr uint8_t kTabFiles = 4;

// TimerRequests bits.
inline constexpr uint8_t kCaretScriptCombo = 1;
inline constexpr uint8_t kCaretStockCombo = 2;
inline constexpr uint8_t kFocusStockButton = 4;

struct CfgState {
    int16_t LoadingFlag = 0;  // non-zero while Form_Load runs; SetTab then waits
    int16_t HelpHidden = 0;   // -1: the help button is hidden
    std::array<int32_t, 2> PictureWidths{};
    uint8_t CurrentTab = kTabMain;  // the page shown, kTabMain..kTabFiles
    uint8_t ModeIndex = 0;          // 0 window, 1 full screen
    std::u16string ModeSuffix = u"W";
    uint8_t TimerRequests = 0;
    // The display mode of the full-screen show, stored as "DDX", "DDY", "DDB", "DDF" and "DDA".
    int16_t ModeWidth = 1024;
    int16_t ModeHeight = 768;
    int16_t ModeDepth = 16;      // bits per pixel
    int16_t ModeRefresh = 0;     // Hz; 0: the driver's default
    uint8_t KeepScreenMode = 0;  // 1: the show keeps the screen's own mode
    ResolutionList Resolutions;
};

// The open dialog's fields (one dialog at a time: it is window slot 33).
CfgState& cfgState();

// Non-zero while the dialog fills its controls from memory: the mode handlers then change
// memory only.
uint8_t& CfgFilling();

// The distinct (width, height) pairs of the display-mode list 1..count, in order, at most
// kMaxResolutions of them (further ones are not offered).
ResolutionList BuildResolutionList(int32_t count, const int32_t* widths, const int32_t* heights);

}  // namespace yov
