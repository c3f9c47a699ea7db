// The program-wide values of the main module, grouped by what they are about: what this run
// is (the instance and its command line), the folders and files it found, the machine it
// measured, the settings it read, its lookup tables, the current scene script and stock, the
// control of its long operations and the show, its texts and log, the last path it split,
// the display modes the settings dialog collects, and the windows it has open. One object,
// so that nothing of it hides in statics; a test runs on a fresh one (FreshInstall).
//
// Texts, file names included, are the program's UTF-16 strings; they become UTF-8 only
// where a file is opened or a name crosses to the engine.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "platform/named_mutex.h"
#include "program/core/startup/installed.h"

class QWidget;

namespace yov {

// The code page of the text files the program writes. 8-bit texts crossing to and from
// the engine are UTF-8, not this.
inline constexpr plat::CodePage kAnsiCodePage = plat::CodePage::Windows1252;

// Windows that the engine addresses by slot: 0 is the show window, 1 to 44 the others.
inline constexpr int kWindowTableSlots = 45;

// Index of the per-mode tables.
inline constexpr int kWindowMode = 0;      // value names ending "W"
inline constexpr int kFullScreenMode = 1;  // value names ending "F"

inline constexpr int kPictureKinds = 20;
inline constexpr int kMaxDisplayModes = 200;

// The program's display title (the message boxes' default caption).
inline constexpr const char16_t* kProgramTitle = u"Yov";

struct WindowSlot {
    QWidget* window = nullptr;
    int16_t inUse = 0;  // -1 while the window is open
};

// What this run is, as Main finds it from the instance and the command line before the first
// window opens.
struct RunRoad {
    std::u16string ProgramKey = u"Software\\Vantrel\\Yov";
    std::u16string InstanceLetter;  // empty in slot 0, else "B" to "F"
    std::time_t StartTime = std::time(nullptr);
    std::u16string CommandLine;    // as given, before lower-casing
    uint8_t ScreenSaverMode = 0;   // 1: this run is the screen saver
    uint8_t StandaloneConfig = 0;  // 1: the settings dialog was not opened with "/c"
    // The X screen-saver daemon's window the show runs in: 0 none; with SaverRoot the root window.
    uintptr_t SaverWindow = 0;
    bool SaverRoot = false;
    // The daemon's options for this run (command_line.h): script, stock, speed 1..100 (0 none).
    std::u16string SaverScript;
    std::u16string SaverStock;
    int32_t SaverSpeed = 0;
};

// Which copy of the program this is.
struct InstanceControl {
    plat::NamedMutex InstanceMutex;  // "RolvaneScreensaver"
    plat::NamedMutex SlotMutex;      // "RolvaneScr0".."RolvaneScr5"
    int32_t InstanceSlot = -1;       // 0..5 once a slot is held
    bool AnotherInstance = false;    // another copy held "RolvaneScreensaver" at start
};

// The folders and files the program found at start.
struct ProgramFiles {
    std::u16string TempDir;
    std::u16string ErrorLogPath;  // TempDir and "Rolvane.err"
    std::u16string DocFile;       // the documentation page, empty when none
    std::u16string WinDir;        // the system-wide folder of the program's shared files
    std::u16string SysDir;        // the system-wide documentation folder
    // Help page per help index (0 general, 1 code "E", 2 code "G"); u"\1" = searched, none found.
    std::array<std::u16string, 3> HelpPath;
};

// What start-up measured of the machine: the screen, the layout metrics (pixels, at a fixed
// 15 twips per pixel) and the clock's rate.
struct MachineMeasures {
    // Screen size in pixels; 0 asks the primary screen.
    int32_t ScreenWidthPx = 0;
    int32_t ScreenHeightPx = 0;
    uint8_t MonitorCount = 0;
    int32_t TwipsPerPixelX = 15;
    int32_t TwipsPerPixelY = 15;
    int32_t ScrollWidthPx = 0;
    int32_t CtlHeightPx = 0;
    int32_t TextHeightPx = 0;
    int32_t TextOffsetPx = 0;
    int32_t CtlHeight2Px = 0;
    int32_t EditHeightPx = 0;
    float MsPerCounterTick = 0;
};

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

// The settings read at start-up.
struct SettingsRead {
    ShowSettings Show;
    int16_t Debug = 0;  // setting "Debug" (window roads only)
    uint8_t ColTrans = 0;
    uint8_t HighPriority = 1;
    uint8_t Music = 0;
    uint8_t UseDefDir = 1;
    uint8_t StbZ = 6;
    uint8_t TvlZ = 6;
    uint8_t PaintFlags = 0;  // the frame painter's option bits, 169 at start
};

// The lookup tables start-up fills.
struct LookupTables {
    std::array<std::u16string, kPictureKinds> PicKindExt;
    std::array<uint8_t, kPictureKinds> PicKindClass{};
    std::u16string ColorLetters;          // " RYBGKWLOCN"
    std::array<uint32_t, 12> ColorRGB{};  // 0x00BBGGRR by position in ColorLetters
    std::u16string TypeCodeLetters;       // 146 characters; SharedState points into it
    std::array<int32_t, 32> BitValue{};
    std::array<int32_t, 32> BitMask{};
    std::array<int32_t, 201> ExpandWork{};
};

// The current scene script and stock (ScriptReady / StockReady), kept by the stock and
// script procedures.
struct SceneFiles {
    bool ConfigOk = false;
    bool StockOk = false;
    std::u16string ConfigFile;  // as written
    std::u16string ConfigKey;   // "\Cnf\" and the file with "|" for "\"
    std::u16string ConfigDir;   // folder of the current scene script
    std::u16string StockDir;    // folder of the current stock file
    uint8_t CacheMode = 0;      // 0 none, 1 memory, 2 and above a cache file
    std::u16string CacheFile;   // the stock's picture cache file
    bool StockIndexBuilt = false;
};

// The control of the long operations and the show.
struct RunControl {
    int32_t ProgressCode = 0;  // position code of the long operation in progress ("P=")
    uint8_t StopRequest = 0;   // ends the show loops
    uint8_t EndRequest = 0;    // the program was told to end (SIGTERM, SIGINT): no modal loop runs
    uint8_t BatchMode = 0;     // the show presents through DirectDraw: no message boxes
    uint8_t RunFlags = 0;      // 0x08 while a show runs
    uint8_t RunMode = 0;       // mode the text window was last opened in; 14 = error log view
    uint8_t ShowMode = 0;      // of the running show: 0 window, 1 full screen
};

// The translated texts and the error log.
struct TextsAndLog {
    uint8_t LangTextsSorted = 0;        // the translated texts are sorted by key
    int32_t LangTextsSortedCount = -1;  // the text count they were sorted at
    uint8_t LogStarted = 0;             // this run's first log line has been written
    int64_t LogShowBytes = 0;           // what the running show wrote to the log (BeginShowLog)
    uint8_t LogShowFull = 0;            // the show wrote its share: further lines are left out
};

// The last path split by SplitFilePath (the file dialog's "last file").
struct LastSplitPath {
    std::u16string SplitPath;
    std::u16string SplitDir;   // without the trailing "\"
    std::u16string SplitName;  // without extension
    std::u16string SplitExt;   // with its dot
};

// The display modes the settings dialog collects.
struct DisplayModeList {
    int32_t ModeCount = 0;
    std::array<int32_t, kMaxDisplayModes + 1> ModeWidth{};
    std::array<int32_t, kMaxDisplayModes + 1> ModeHeight{};
    std::array<int32_t, kMaxDisplayModes + 1> ModeDepth{};
    std::array<int32_t, kMaxDisplayModes + 1> ModeRefresh{};
};

// Every value of ProgramState but the shared record and arrays; a program that has just
// started has ProgramValues{}.
struct ProgramValues {
    RunRoad road;
    InstanceControl instance;
    ProgramFiles files;
    MachineMeasures machine;
    SettingsRead settings;
    LookupTables tables;
    SceneFiles scene;
    RunControl run;
    TextsAndLog log;
    LastSplitPath split;
    DisplayModeList modes;
    std::array<WindowSlot, kWindowTableSlots> WindowTable{};  // open windows by slot
};

// The record and arrays shared with the engine. Their addresses go to InitDLL and the engine's
// timer thread writes the record's clock, so there is one pair for the whole process, in
// place from its first use to its end, whichever program state is installed.
struct EngineRecords {
    SharedState Shared;
    SharedArrays Arrays;
};

EngineRecords& engineRecords();

// The program state: its values, and the one pair of records shared with the engine.
struct ProgramState : ProgramValues {
    SharedState& Shared = engineRecords().Shared;
    SharedArrays& Arrays = engineRecords().Arrays;
};

// The program state in force: the program's own, made at its first use, or the one a test
// installed (installed.h).
inline ProgramState& programState() { return *Installed<ProgramState>(); }

// A record shared with the engine back to a start's values, in place: its fields but the
// engine's clock, and the arrays emptied.
void RestartEngineRecords();

// The screen size (MachineMeasures' ScreenWidthPx, ScreenHeightPx) in twips.
int32_t ScreenWidthTw();
int32_t ScreenHeightTw();

}  // namespace yov
