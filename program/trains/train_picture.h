// Train pictures: one composed strip of a train unit, its vehicles placed end to end as a
// chain of picture parts, with the unit's length, height, direction and motion state.
//
// The table lives for the whole run of the program on the main thread. Builds take frame
// steps, and a frame step may build, free or grow: hold indices, never references, across
// anything that can reach one.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/raster.h"

namespace yov {

// TrainPicture::MotionState values this side gives; the motion code owns the higher ones.
inline constexpr int16_t kPictureFree = 0;
inline constexpr int16_t kPictureBuilt = 1;

inline constexpr int32_t kTrainPictureGrowth = 10;
inline constexpr int32_t kMaxAttemptPictures = 10;
inline constexpr int32_t kPicturePages = 3;
// A picture part keeps per-frame state for this many frames.
inline constexpr int32_t kMaxPartFrames = 32;
// The longest train picture a composition may give: a few screens of the widest displays,
// and a bound on the canvas work a single line can ask for.
inline constexpr int32_t kMaxTrainVehicles = 1000;
inline constexpr int32_t kMaxTrainLength = 32767;
inline constexpr int32_t kNeverPainted = 32767;

// TrainPicture::PictureFlags.
inline constexpr int16_t kPictureFixedMasked = 0x1;

struct TrainPicture {
    int32_t FirstPart = 0;
    int32_t X = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int16_t Dir = 0;
    int16_t LastDelta = 0;
    float MeanStep = 0;
    int32_t MeanCount = 0;
    float Speed = 0;
    float TargetSpeed = 0;
    float Accel = 0;
    float AccelRate = 0;
    float BrakeRate = 0;
    int32_t CoupleDist = 0;
    float CreepSpeed = 0;
    float StartSpeed = 0;
    float Remainder = 0;
    int32_t OwnerTrain = 0;
    int32_t MemberPos = 0;
    int32_t WaitMs = 0;
    int16_t MotionState = kPictureFree;
    int32_t StopX = 0;
    int32_t TrainBuffer = 0;
    int32_t BufferDC = 0;
    int32_t BufferMaskDC = 0;
    int32_t BufferX = 0;
    int32_t BufferY = 0;
    std::array<int32_t, kPicturePages> PaintedX{};
    int16_t PictureFlags = 0;
    int32_t CoupledId = 0;  // a picture index: one byte would wrap past picture 255
    int16_t VehicleCount = 0;
    std::u16string SourceName;
    std::u16string Composition;
};

struct TrainPictureTable {
    std::vector<TrainPicture> Entries{TrainPicture{}};  // 1..Count, element 0 never used
    int32_t Count = 0;
    int32_t Alloc = 0;
    // The pictures built during the current start attempt, 1..AttemptCount.
    std::array<int32_t, kMaxAttemptPictures + 1> Attempt{};
    int32_t AttemptCount = 0;

    TrainPicture& operator[](int32_t i) { return Entries[static_cast<size_t>(i)]; }
    bool valid(int32_t i) const { return i >= 1 && i <= Count; }
};

TrainPictureTable& trainPictures();
// Empties the table, as at the start of a run of the program (tests start clean with it).
void ResetTrainPictures();

// What one build keeps while it runs; the stock-picture loader reads and advances the pen
// and the running length. The unit's direction is the train start's CurDirection (set by the
// caller; 0 lets the expansion choose), and the values vehicle descriptions set for the
// train's path are vehicleBuild()'s motion defaults, cleared by every build.
struct TrainBuildState {
    int32_t RunningLength = 0;
    int32_t PenX = 0;   // where the next vehicle is drawn on the current canvas
    int32_t BaseY = 0;  // the baseline: the height field of canvas slot 0
    std::vector<std::u16string> Names{u""};
    int32_t FirstPart = 0;
};

TrainBuildState& trainBuild();

// How trains are drawn in the running show.
struct TrainDrawMode {
    bool DirectDraw = false;
    bool WholeTrains = false;  // GDI whole-train pictures: a buffer per picture
    bool MaskColour = true;    // GDI: transparent parts are marked by a mask colour
    int32_t SceneWidth = 0;
    int32_t KeyPixel = 0;
    int32_t BackgroundPixel = 0;
    uint8_t BookPages = 0;  // the last page the show keeps books for
    plat::HBRUSH SolidBrush;
};

// What the build needs from elsewhere; empty entries take the program's own.
struct TrainPictureHooks {
    // Draws the vehicle at the pen and returns its part (LoadStockPicture).
    std::function<int32_t(std::u16string_view name, int32_t height)> loadVehicle;
    // The pattern's names into names[1..]; the count, or a negative error code.
    std::function<int32_t(std::u16string_view pattern, std::vector<std::u16string>& names, int16_t& direction)> expand;
    // The vehicle's description text in mode 1, for its plate.
    std::function<std::u16string(int32_t stock)> plateText;
    std::function<TrainDrawMode()> drawMode;
};

TrainPictureHooks& trainPictureHooks();
TrainDrawMode currentDrawMode();

// A new train picture of the composition named by the alias list (or "*": the current
// train's next pending composition). allFlagged is cleared when a vehicle is drawn without
// a mask.
// The vehicles are built facing the way the unit runs (the pattern's direction, the other way
// with mirror): that picks their "<" and ">" description items and default labels.
int32_t BuildTrainPicture(std::u16string& compositionName, uint8_t& allFlagged, uint8_t mirror = 0);
int32_t MakeTrainPicture(std::u16string& compositionName, int32_t memberPos, uint8_t mirror);
// Frees the picture with its parts and its buffer; picture becomes 0. Nothing for 0 or a
// free entry.
void FreeTrainPicture(int32_t& picture);
// Frees every picture of the current start attempt and empties the list.
void FreeAttemptPictures();

// The frame timing value of a part with n extra frames: a bit for each of its frames.
int32_t FrameTimingFor(int32_t extraFrames);

}  // namespace yov
