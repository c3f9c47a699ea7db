// TrainRec: one running train line of a show (its band and drawing area, member pictures,
// layers, label, path points, step texts and flags), with the one numbering of its State and
// the one set of flag names that the train start and the show share.
//
// Records live in one table for the whole run of the program, numbered from 1 (0 = none),
// at most 255 because a record's index is one byte. Hold indices, never references, across
// anything that can reach a frame step: the table grows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace yov {

// TrainRec::State. The numbers overlap by design: the step program's phases start at 9, and
// 11 ("regenerate") and 12 (the first phase of the simplest mode) are also the train start's
// "recompose" and "recomposition running".
namespace train_state {
inline constexpr uint8_t kNew = 0;
inline constexpr uint8_t kFree = 1;
inline constexpr uint8_t kAwaitLine = 2;       // the train start picks a script line for it
inline constexpr uint8_t kStarting = 3;        // the train start runs on the line already chosen
inline constexpr uint8_t kRunEnded = 4;        // finishing: the run has ended
inline constexpr uint8_t kReleased = 5;        // no pictures, no surfaces (a clearing wipe follows)
inline constexpr uint8_t kRunEndedWiped = 6;   // with 0x400 the section's event runs again, else as 8
inline constexpr uint8_t kAwaitTextLayer = 7;  // waiting for the text layer to be taken down
inline constexpr uint8_t kRunOver = 8;         // start again on the same line, or remove
inline constexpr uint8_t kFirstProgramPhase = 9;
inline constexpr uint8_t kRegenerate = 11;  // a member ended during the run: recompose
inline constexpr uint8_t kRecomposing = 12;
}  // namespace train_state

// TrainRec::Flags.
namespace train_flag {
inline constexpr int32_t kQueued = 0x1;       // on the step, start or priority list
inline constexpr int32_t kAreaPainted = 0x2;  // area painted at set-up
inline constexpr int32_t kFinishing = 0x4;    // run once, then release
inline constexpr int32_t kWaiting = 0x8;
inline constexpr int32_t kMoving = 0x10;    // has member pictures to move and paint
inline constexpr int32_t kStarted = 0x20;   // on the scene; also: no full background repaint
inline constexpr int32_t kRestartA = 0x40;  // restart control after a re-picked line
inline constexpr int32_t kRestartB = 0x80;
inline constexpr int32_t kStartDeferred = 0x100;  // until its back buffers are wiped
inline constexpr int32_t kDependent = 0x200;      // painted by its MasterTrain as a linked line
inline constexpr int32_t kSceneRecord = 0x400;    // counted active, never moved; paints its chain
inline constexpr int32_t kTurned = 0x800;         // set by the TURN mode
inline constexpr int32_t kFallingSnow = 0x1000;
inline constexpr int32_t kSmoothSnowGrowth = 0x2000;
inline constexpr int32_t kTbgAfterTrains = 0x4000;
}  // namespace train_flag

inline constexpr int32_t kMaxTrainRecords = 255;
inline constexpr int32_t kTrainRecordGrowth = 30;
inline constexpr int32_t kMaxTrainMembers = 20;
inline constexpr int32_t kMaxPathPoints = 5;
inline constexpr int32_t kMaxPoolDepth = 5;
inline constexpr int32_t kStepTexts = 13;

// A path point of the line: eight action texts by point mode (even = moving left).
struct PathPoint {
    std::u16string Name;
    std::array<std::u16string, 8> Texts;
    int32_t Position = 0;
    int32_t Dir = 0;
};

struct NamedPosition {
    std::u16string Name;
    int32_t Value = 0;
};

// A block of visible background content: left x, width, top row, height.
struct VisibleBlock {
    int32_t Left = 0;
    int32_t Width = 0;
    int32_t Top = 0;
    int32_t Height = 0;
};

// A piece of a layer (40 bytes on Windows): its first two values are its left and right x;
// the layer builders give the rest their meaning. Each piece owns a draw buffer and a surface.
struct LayerPiece {
    int32_t Left = 0;
    int32_t Right = 0;
    std::array<int32_t, 6> Values{};
    int32_t Buffer = 0;
    int32_t Surface = 0;
};

struct TrainRec {
    uint8_t Index = 0;
    uint8_t State = train_state::kNew;
    int32_t Event = 0;
    int32_t Sect = 0;
    int32_t Line = 0;
    std::array<int32_t, kMaxPoolDepth + 1> PoolLines{};
    int32_t PoolDepth = 0;
    int32_t NextActive = 0;  // active list; in a free record the next free record
    int32_t NextQueued = 0;  // the pending-step list, the start queue and the priority list
    uint8_t OnList = 0;      // which of those three the record is on (show_queues.h)
    int32_t NextLinked = 0;  // a scene's chain
    int32_t BandTop = 0;
    int32_t OriginY = 0;
    int32_t OriginX = 0;
    int32_t Width = 0;
    int32_t BandHeight = 0;
    int32_t VehicleHeight = 0;
    int32_t AboveBase = 0;
    int32_t BelowBase = 0;
    int32_t AreaHeight = 0;
    int32_t LayerTop = 0;
    int32_t LayerBottom = 0;
    int32_t SavedAreaHeight = 0;
    int32_t DependentCount = 0;
    int32_t MasterTrain = 0;
    int16_t Direction = 0;
    int32_t SpeedDefault = 0;
    std::array<int32_t, kMaxTrainMembers + 1> Members{};
    uint8_t MemberCount = 0;
    std::array<PathPoint, kMaxPathPoints + 1> Points;
    int32_t PointCount = 0;
    int32_t BgLine = 0;
    std::u16string BgText;
    int32_t FgLine = 0;
    std::u16string FgText;
    int32_t TgLine = 0;
    std::u16string TgText;
    std::vector<NamedPosition> NamedPositions;  // 1..NamedCount, element 0 present when allocated
    int32_t NamedCount = 0;
    int32_t NamedAlloc = 0;
    int32_t AreaSurface = 0;
    int32_t AreaBuffer = 0;
    int32_t SceneSurface = 0;
    int32_t SceneDC = 0;
    int32_t AreaTopY = 0;
    int32_t BaseY = 0;
    int32_t AreaLeftX = 0;
    int32_t FgPart = 0;
    int32_t BgPart = 0;
    int32_t TbgFrom = 0;
    int32_t TbgTo = 0;
    int32_t FgSpanBottom = 0;
    int32_t FgSpanTop = 0;
    std::array<int32_t, 3> GrowRepaintFrom{};
    std::array<int32_t, 3> GrowRepaintTo{};
    int32_t TbgOverlap = 0;
    std::array<int32_t, 3> TbgBufferFrom{};
    std::array<int32_t, 3> TbgBufferTo{};
    float GrowRate = 0;
    float GrowLevel = 0;
    float GrowTo = 0;
    float GrowDrawn = 0;
    float GrowMinChange = 0;
    std::vector<VisibleBlock> BgBlocks;
    int32_t BgBlockCount = 0;
    std::vector<LayerPiece> FgPieces;
    int32_t FgPieceCount = 0;
    std::vector<LayerPiece> TgPieces;
    int32_t TgPieceCount = 0;
    std::vector<LayerPiece> GrowPieces;
    int32_t GrowPieceCount = 0;
    int32_t TextBuffer = 0;
    std::array<int32_t, 3> TextBufferData{};  // device context first
    int32_t TextSurface = 0;
    int32_t TextWidth = 0;
    int32_t TextHeight = 0;
    int32_t TextY = 0;
    int32_t TextX = 0;
    int32_t LabelRow = 0;
    int32_t SnowBase = 0;
    int32_t SnowHeight = 0;
    int32_t SnowRow = 0;
    int32_t SnowSpeed = 0;
    int32_t SnowTime = 0;
    int32_t SnowStopRows = 0;
    float SnowLevel = 0;
    float SnowRate = 0;
    float SnowTarget = 0;
    int32_t SnowSegment = 0;
    int32_t SnowBufferHeight = 0;
    int32_t SnowBuffer = 0;
    std::array<int32_t, 4> SnowBufferData{};
    int32_t SnowSurface = 0;
    std::array<std::u16string, kStepTexts> StepText;
    std::u16string StartText;
    std::u16string EndText;
    std::u16string WaitText;
    int32_t WaitTicks = 0;
    int32_t TotalLength = 0;
    int32_t CountedLength = 0;  // what its starts added to the show's StartedLength, not yet taken off
    int32_t Flags = 0;
    int32_t LayerFlags = 0;
    std::array<int32_t, 3> BufferRedraw{};
    std::array<int32_t, 3> WipeRow{};  // per page, the line row a wipe has reached
    int32_t AnimSlots = 0;
    uint8_t WaitKind = 0;
    int32_t RestartDelay = 0;
    int32_t WireHeight = 0;
};

}  // namespace yov
