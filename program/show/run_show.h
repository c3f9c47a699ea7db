// One show from start to end: the show state set up, the script and the stock read, the
// drawing method chosen, the splash waited out, the main loop run, and the tidy-up, which
// ends the program unless the settings dialog is open. ParseShowOptions shows the splash
// picture a script's splash line asks for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

struct DrawMethod {
    uint8_t UseDirectDraw = 0;
    uint8_t FlipCount = 0;
    uint8_t DrawWholeTrains = 0;
};

// The setting "DrawAlg": 0 GDI vehicle by vehicle, 1 GDI whole trains, 2 to 4 DirectDraw with
// 0 to 2 back pages; any other value acts as 0.
DrawMethod DrawMethodFor(int32_t drawAlg);

void RunShow(uint8_t mode, std::u16string& script, uint8_t headerOnly, uint8_t singleLine);

// Where the splash window goes and which part of the picture it shows.
struct SplashLayout {
    int32_t Left = 0;  // window, centred on the screen
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Frame = false;  // a one-pixel rectangle along the window's edge
    int32_t DestX = 0;   // the picture in the window
    int32_t DestY = 0;
    int32_t DrawWidth = 0;
    int32_t DrawHeight = 0;
    int32_t SrcX = 0;  // the part of the picture drawn
    int32_t SrcY = 0;
};
SplashLayout LayOutSplash(int32_t pictureWidth, int32_t pictureHeight, int32_t screenWidth, int32_t screenHeight,
                          bool fullScreen);

// The splash time of "T,TIME" in ms: seconds (default 5; "n%" of 5 seconds), rounded; 0
// becomes 1, and it never exceeds what the 31-bit clock comparison can wait for.
int32_t SplashTimeMs(std::u16string_view text);

// Waits while the splash is still to be shown, sleeping 1 ms and processing events; a stop
// request ends the wait.
void WaitOutSplash();

void ParseShowOptions();
// Takes the splash window down and forgets the splash time.
void UnloadSplash();

}  // namespace yov
