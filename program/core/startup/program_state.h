// The program-wide values of the main module: set once at start-up or kept by the long
// operations, and read everywhere. One record, so that nothing of it hides in statics.
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

class QWidget;

namespace yov {

// The code page of the text files the program writes. 8-bit texts crossing to and from
// the engine are UTF-8, not this.
inline constexpr plat::CodePage kAnsiCodePage = plat::CodePage::Windows1252;

// Windows that the engine addresses by slot: 0 is the show window, 1 to 44 the others.
inline constexpr int kWindowTableSlots = 45;

struct WindowSlot {
    QWidget* window = nullptr;
    int16_t inUse = 0;  // -1 while the window is open
};

// Every value of ProgramState but the shared record and arrays, which the engine holds by
// address (its timer thread writes the record's clock); a program that has just started has
// ProgramValues{}.
struct ProgramValues {
    // --- Set by Main before the first window opens.
    std::u16string ProgramKey = u"Software\\Vantrel\\Yov";
    std::u16string InstanceLetter;  // empty in slot 0, else "B" to "F"
    std::time_t StartTime = std::time(nullptr);
    std::u16string TempDir;
    std::u16string ErrorLogPath;  // TempDir and "Rolvane.err"
    // Screen size in pixels; 0 asks the primary screen.
    int32_t ScreenWidthPx = 0;
    int32_t ScreenHeightPx = 0;
    std::u16string DocFile;  // the documentation page, empty when none

    // --- Kept by the stock and script procedures.
    uint8_t CacheMode = 0;     // 0 none, 1 memory, 2 and above a cache file
    std::u16string CacheFile;  // the stock's picture cache file
    std::u16string StockDir;   // folder of the current stock file
    std::u16string ConfigDir;  // folder of the current scene script

    // --- The last path split by SplitFilePath (the file dialog's "last file").
    std::u16string SplitPath;
    std::u16string SplitDir;   // without the trailing "\"
    std::u16string SplitName;  // without extension
    std::u16string SplitExt;   // with its dot
    // The folder the file dialog starts in when the flags name none (the dialog keeps it), as
    // the file system spells it.

    // --- Long operations and the show.
    int32_t ProgressCode = 0;  // position code of the long operation in progress ("P=")
    uint8_t StopRequest = 0;   // ends the show loops
    uint8_t EndRequest = 0;    // the program was told to end (SIGTERM, SIGINT): no modal loop runs
    uint8_t BatchMode = 0;     // the show presents through DirectDraw: no message boxes
    uint8_t RunFlags = 0;      // 0x08 while a show runs
    uint8_t RunMode = 0;       // mode the text window was last opened in; 14 = error log view
    uint8_t ShowMode = 0;      // of the running show: 0 window, 1 full screen

    // --- Main-module state of the texts and the error log.
    uint8_t LangTextsSorted = 0;        // the translated texts are sorted by key
    int32_t LangTextsSortedCount = -1;  // the text count they were sorted at
    uint8_t LogStarted = 0;             // this run's first log line has been written
    int64_t LogShowBytes = 0;           // what the running show wrote to the log (BeginShowLog)
    uint8_t LogShowFull = 0;            // the show wrote its share: further lines are left out

    // --- Open windows by slot.
    std::array<WindowSlot, kWindowTableSlots> WindowTable{};

    // --- The records shared with the engine (their addresses go to InitDLL).
};

struct ProgramState : ProgramValues {
    SharedState Shared;
    SharedArrays Arrays;
};

ProgramState& programState();

}  // namespace yov
