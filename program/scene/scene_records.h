// The scene model a script read leaves behind: its sections, pools, options and help links,
// the run settings the script may change, and the tables of the read itself (files,
// includes, members). The show runner and the train start run on these records; the script
// reader (script_reader.h) fills them.
//
// Tables are 1-based with element 0 present. Sequence modes in records count from 1
// (1 fixed, 2 continued, 3 random sequence, 4 random); the script-wide mode and the
// "Random" setting count from 0.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lumvatek/shared.h"
#include "program/core/params/param_table.h"

namespace yov {

// Way definitions are kept in this letter order everywhere.
inline constexpr std::u16string_view kWayLetters = u"ARTEML";
using WayDefinitions = std::array<std::u16string, 6>;

// Kinds of SectRec.
namespace sect_type {
inline constexpr uint8_t kRoot = 1;
inline constexpr uint8_t kSection = 2;
inline constexpr uint8_t kGroup = 3;
inline constexpr uint8_t kLine = 4;
inline constexpr uint8_t kScene = 5;
inline constexpr uint8_t kPath = 6;
}  // namespace sect_type

// Flag values of SectRec::Flags.
namespace sect_flag {
inline constexpr int32_t kBottomUp = 1;   // vertical coordinates run bottom up
inline constexpr int32_t kOwnLayers = 2;  // own background, foreground, way or waypoints: paint at set-up
inline constexpr int32_t kFinishing = 4;
inline constexpr int32_t kInUse = 8;
}  // namespace sect_flag

// One scene, section, group, path, line or the root.
struct SectRec {
    int32_t Number = 0;  // own section number
    int32_t Event = 0;   // its TimedEvent; for a free dynamic copy the next free record
    int32_t Origin = 0;  // the script item that started this dynamic copy
    int32_t Parent = 0;
    int32_t Template = 0;      // for a dynamic copy, the block it was copied from
    uint8_t Type = 0;          // sect_type
    uint8_t RunState = 0;      // 1 for the root when built, else 0; the show runner's afterwards
    uint8_t FinishMode = 0;    // 1 abort, 2 no more, 3 wait
    uint8_t SequenceMode = 0;  // 1..4
    // LT and LC: the wait in seconds and the number of items to start (0 = no limit).
    int32_t LimitTime = 0;
    int32_t LimitCount = 0;
    int32_t WaitTicks = 0;
    int32_t RepeatsLeft = 0;
    // Members: the pickable ones First..LastPlain, then the line blocks up to Last.
    int32_t First = 0;
    int32_t LastPlain = 0;
    int32_t Last = 0;
    int32_t CurrentLine = 0;  // the member before the next to run; for a scene its scene record
    int32_t RemainingInCycle = 0;
    int32_t PickCounter = 0;
    // Area as written (X, Y, DX, DY) and in scene pixels once laid out.
    std::u16string XText, YText, DXText, DYText;
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::u16string PoolName;
    int32_t BgColor = -1;
    std::u16string Background, Foreground, TempBackground;
    int32_t BackgroundOwner = 0, ForegroundOwner = 0, TempBackgroundOwner = 0;  // defining headers
    WayDefinitions WayDefs;
    std::u16string Way, Waypoints;
    std::u16string AnimBegin, AnimEnd;
    std::u16string Environment;
    std::u16string Direction, Speed, Accel, Decel;
    std::u16string AddParams;  // "AP": added to the parameters of every train line it starts
    int32_t CoupleDistance = 0;
    float CoupleSpeed = 0;
    float InitialSpeed = 0;
    std::u16string LabelText, LabelX;
    int32_t LabelY = 0;
    int32_t LabelColor = 0;
    int32_t LabelBackground = 0;
    int32_t LayerAbove = 0, VehicleHeight = 0, LayerBelow = 0, MinSpace = 0, MaxLines = 0;
    std::u16string LineId;               // L: the section lines this block runs on
    int32_t Flags = 0;                   // sect_flag
    std::u16string Pattern, Expansions;  // a pattern and its comma-terminated expansions
};

// One POOL block.
struct PoolEntry {
    int32_t First = 0;
    int32_t Last = 0;  // First - 1 for an empty pool
    int32_t Current = 0;
    int32_t PickCounter = 0;
    int32_t RemainingInCycle = 0;
    uint8_t SequenceMode = 0;  // 1..4
    std::u16string Name;       // upper case
    std::u16string AddParams;
};

namespace option_kind {
inline constexpr uint8_t kOption = 1;
inline constexpr uint8_t kSeparator = 2;
inline constexpr uint8_t kCommand = 3;
inline constexpr uint8_t kSubmenu = 4;
}  // namespace option_kind

// An option the script offers in the settings dialog.
struct OptionEntry {
    std::u16string Key;  // upper case; empty for commands and submenus
    std::array<std::u16string, kLanguageSlots> Captions;
    uint8_t Default = 0;
    uint8_t Value = 0;        // the stored choice
    uint8_t Kind = 0;         // option_kind
    uint8_t Level = 0;        // submenu level at creation, 0..3
    std::u16string Command;   // upper case
    intptr_t MenuHandle = 0;  // its menu item, kept by the settings dialog
};

struct HelpLink {
    std::array<std::u16string, kLanguageSlots> Captions;
    std::u16string Url;
};

inline constexpr int32_t kMaxHelpLinks = 16;

// The settings a script may change; reset to their defaults at the start of every read.
struct RunSettings {
    int32_t BgColor = -1;
    uint8_t SequenceMode = 0;  // 0..3
    uint8_t SkipErrors = 0;
    float SpeedFactor = 0;
    uint8_t SpeedSet = 0;  // SPEED gave the factor
    uint8_t UseDefDir = 0;
    int32_t MaxLines = 32767;
    int32_t MinSpace = 10;
    WayDefinitions WayDefs{u"a", u"3", u"t", u"3E", u"3M", u"3L"};
    std::u16string Accel = u"0.05";
    std::u16string Decel = u"0.05";
    int32_t CoupleDistance = 0;
    float CoupleSpeed = 0.1f;
    float InitialSpeed = 0.1f;
    float PhaseStep = 3.1415f;
    int32_t LayerBelow = 7;
    int32_t LayerAbove = 1;
    std::u16string LabelText;
    std::u16string LabelX = u"<5";
    int32_t LabelY = 29;
    int32_t LabelColor = 0xC0FFFF;
    int32_t LabelBackground = 0;
    std::u16string Environment;
    int32_t VehicleHeight = 0;
    std::u16string InfoText;
    std::u16string VersionText;
    uint8_t Suppress = 0;  // 1 no rail, 2 no catenary, 4 no authors
    uint8_t NoStopOnClick = 0, NoStopOnKey = 0, NoStopOnMove = 0;
    std::u16string DeferredShowOptions;
    std::u16string SplashPicture;
};

// Everything a read builds. Emptied at the start of every read; the macros (in the engine)
// and RandomSeed survive it.
struct SceneScript {
    RunSettings Run;
    double RandomSeed = 0;   // RANDOMIZE; 0 = from the clock
    int32_t BaseHeight = 0;  // the largest vehicle height of the read

    // Script files by file index, with their folders.
    std::vector<std::u16string> FileNames{u""};
    std::vector<std::u16string> FileDirs{u""};
    int32_t FileCount = 0;
    int64_t TotalLength = 0;  // bytes of every file opened
    std::vector<std::u16string> Includes{u""};
    int32_t IncludeCount = 0;
    int32_t PlainLines = 0;
    int32_t OptionLevel = 0;  // submenu level, 0..3

    // After a read: every block's items, block by block; the root header last.
    std::vector<ScriptItem> Members{ScriptItem{}};
    int32_t MemberCount = 0;
    std::vector<PoolEntry> Pools{PoolEntry{}};
    int32_t PoolCount = 0;
    std::vector<SectRec> Sections{SectRec{}};  // entry 0 is the root's parent
    int32_t SectionCount = 1;                  // gathered while blocks close, then the records built
    int32_t SectionFill = 0;
    std::vector<OptionEntry> Options{OptionEntry{}};
    int32_t OptionCount = 0;
    std::array<HelpLink, kMaxHelpLinks + 1> Links{};
    int32_t LinkCount = 0;

    // The stored "L": the last used line of each section, read one number per section.
    std::u16string LastLines;
    size_t LastLinesPos = 0;
};

}  // namespace yov
