// The program-wide values that start-up (Main) fills once and every part reads: the instance,
// the command line's road, layout metrics, the lookup tables, the per-mode show settings,
// the current scene script, and the display modes the settings dialog collects.
//
// Values that other parts of the core already keep (ProgramKey, InstanceLetter, TempDir,
// ErrorLogPath, screen size, CacheMode, ConfigDir, DocFile) stay in ProgramState, and
// whether help is available follows the help file (HelpAvailable, context_help.h); this
// record holds the rest of the main module's globals.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/named_mutex.h"

namespace yov {

// Index of the per-mode tables.
inline constexpr int kWindowMode = 0;      // value names ending "W"
inline constexpr int kFullScreenMode = 1;  // value names ending "F"

inline constexpr int kPictureKinds = 20;
inline constexpr int kMaxDisplayModes = 200;

// The show settings of one display mode each, as read at start-up (and edited by the
// settings dialog).
struct ShowSettings {
    std::array<uint8_t, 2> Random{2, 2};   // sequence mode 0..3
    std::array<uint8_t, 2> NStpClk{1, 1};  // 1: a click does not stop the show
    std::array<uint8_t, 2> NStpMov{1, 1};  // 1: moving the mouse does not stop it
    std::array<uint8_t, 2> NStpKey{0, 0};  // 1: keys other than Enter and Esc do not stop it
    std::array<float, 2> Speed{0.025f, 0.025f};
    std::array<uint8_t, 2> LimLenB{0, 0};
    std::array<int32_t, 2> LimLenV{4000, 4000};
    std::array<uint8_t, 2> LimLinB{0, 0};
    std::array<int32_t, 2> LimLinV{3, 3};
    std::array<uint8_t, 2> LimProcB{0, 0};
    std::array<float, 2> LimProcV{7.0f, 7.0f};
    std::array<uint8_t, 2> SkipErr{1, 1};
    std::array<uint8_t, 2> DrawAlg{1, 4};  // 0..1 in a window, 0..4 full screen
};

struct MainState {
    // --- Instance control.
    plat::NamedMutex InstanceMutex;  // "RolvaneScreensaver"
    plat::NamedMutex SlotMutex;      // "RolvaneScr0".."RolvaneScr5"
    int32_t InstanceSlot = -1;       // 0..5 once a slot is held
    bool AnotherInstance = false;    // another copy held "RolvaneScreensaver" at start

    // --- This run's road.
    std::u16string CommandLine;    // as given, before lower-casing
    uint8_t ScreenSaverMode = 0;   // 1: this run is the screen saver
    uint8_t StandaloneConfig = 0;  // 1: the settings dialog was not opened with "/c"
    int16_t Debug = 0;             // setting "Debug" (window roads only)
    // The X screen-saver daemon's window the show runs in: 0 none; with SaverRoot the root window.
    uintptr_t SaverWindow = 0;
    bool SaverRoot = false;
    // The daemon's options for this run (command_line.h): script, stock, speed 1..100 (0 none).
    std::u16string SaverScript;
    std::u16string SaverStock;
    int32_t SaverSpeed = 0;

    // --- The current scene script and stock (ScriptReady / StockReady).
    bool ConfigOk = false;
    bool StockOk = false;
    std::u16string ConfigFile;  // as written
    std::u16string ConfigKey;   // "\Cnf\" and the file with "|" for "\"

    // --- Layout metrics (pixels) at a fixed 15 twips per pixel.
    int32_t TwipsPerPixelX = 15;
    int32_t TwipsPerPixelY = 15;
    int32_t ScrollWidthPx = 0;
    int32_t CtlHeightPx = 0;
    int32_t TextHeightPx = 0;
    int32_t TextOffsetPx = 0;
    int32_t CtlHeight2Px = 0;
    int32_t EditHeightPx = 0;
    uint8_t MonitorCount = 0;
    uint8_t PaintFlags = 0;  // the frame painter's option bits, 169 at start

    // --- Folders and clocks.
    std::u16string WinDir;  // the system-wide folder of the program's shared files
    std::u16string SysDir;  // the system-wide documentation folder
    float MsPerCounterTick = 0;
    // Help page per help index (0 general, 1 code "E", 2 code "G"); u"\1" = searched, none found.
    std::array<std::u16string, 3> HelpPath;

    // --- Tables.
    std::array<std::u16string, kPictureKinds> PicKindExt;
    std::array<uint8_t, kPictureKinds> PicKindClass{};
    std::u16string ColorLetters;          // " RYBGKWLOCN"
    std::array<uint32_t, 12> ColorRGB{};  // 0x00BBGGRR by position in ColorLetters
    std::u16string TypeCodeLetters;       // 146 characters; SharedState points into it
    std::array<int32_t, 32> BitValue{};
    std::array<int32_t, 32> BitMask{};
    std::array<int32_t, 201> ExpandWork{};

    // --- Settings read at start-up.
    ShowSettings Show;
    uint8_t ColTrans = 0;
    uint8_t HighPriority = 1;
    uint8_t Music = 0;
    uint8_t UseDefDir = 1;
    uint8_t StbZ = 6;
    uint8_t TvlZ = 6;

    // --- Main-module state.
    bool StockIndexBuilt = false;
    int32_t ModeCount = 0;
    std::array<int32_t, kMaxDisplayModes + 1> ModeWidth{};
    std::array<int32_t, kMaxDisplayModes + 1> ModeHeight{};
    std::array<int32_t, kMaxDisplayModes + 1> ModeDepth{};
    std::array<int32_t, kMaxDisplayModes + 1> ModeRefresh{};
};

MainState& mainState();

// The screen size (ProgramState's ScreenWidthPx, ScreenHeightPx) in twips.
int32_t ScreenWidthTw();
int32_t ScreenHeightTw();

// The program's display title (the message boxes' default caption).
inline constexpr const char16_t* kProgramTitle = u"Yov";

// Back to the values before Main ran (mutexes closed); for tests that run Main again.
void resetMainState();

}  // namespace yov
