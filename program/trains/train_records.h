// The table of train records, its free list and the active list ordered by band top; the
// set-up of a train line from its section (the line area inside the parent, the split of the
// band into the zones above, on and below the rail line, the start of a scene's parallel
// lines); and the work device context of GDI drawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "program/trains/numbered_table.h"
#include "program/trains/train_record.h"

namespace yov {

struct TrainTable : NumberedTable<TrainRec> {
    int32_t ActiveHead = 0;
};

// The train table of the show records in use (show_records.h); inline, as the frame step reaches it
// at every object it steps.
namespace show_records_detail {
extern TrainTable* currentTrains;
}
inline TrainTable& trains() { return *show_records_detail::currentTrains; }

// Empties the table, as at the start of a run of the program (tests start clean with it).
void ResetTrainTable();

// The section fields that a train line is set up from: a line section and its parent. The
// section table's owner fills one from its record and copies Left, Width and Height back
// after ComputeLineArea.
struct LineSection {
    int32_t Index = 0;
    int32_t Event = 0;  // its run-queue entry
    int32_t Left = 0;   // scene pixels
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    std::u16string X;   // "X,X0,LEFT"
    std::u16string DX;  // "DX,WIDTH"
    std::u16string DY;  // "DY,HEIGHT"
    std::u16string DirectionText;
    int32_t Above = 0;    // "AB,ABOVE"
    int32_t Vehicle = 0;  // "VH,IMGY,PATH,VEHICLE_HEIGHT"
    int32_t Below = 0;    // "BL,BELOW"
    int32_t Flags = 0;    // 2: its area is painted once at set-up
    std::u16string PointText;
    std::u16string BgText;
    int32_t BgLine = 0;
    std::u16string FgText;
    int32_t FgLine = 0;
    std::u16string TgText;
    int32_t TgLine = 0;
};

inline constexpr int32_t kSectPaintAtSetUp = 2;
inline constexpr uint8_t kBgPartKind = 4;
inline constexpr uint8_t kFgPartKind = 8;

// A train's own surfaces and draw buffers, freed through the picture pools' hooks; each
// handle becomes 0, and a 0 handle is left alone.
void FreeTrainSurface(int32_t& surface, int32_t site);
void FreeTrainBuffer(int32_t& buffer);
// The images of layer pieces 1..count (a count beyond the list is cut to it).
void FreePieceImages(std::vector<LayerPiece>& pieces, int32_t count, int32_t site);

int32_t NewTrainRec(int16_t flags);
// Step text n of the train being started (CurTrain), empty without one or for n outside
// 0..kStepTexts-1: a line's "*n" parameter.
std::u16string StartedTrainStepText(int32_t n);
void RemoveTrain(int32_t train);
void InsertActiveTrain(int32_t train);
int32_t ComputeLineArea(LineSection& line, const LineSection& parent);
void InitTrainFromSect(int32_t train, const LineSection& sect, int32_t above, int32_t vehicles, int32_t below);
void StartSectLine(LineSection& line, const LineSection& scene, int32_t k, int32_t pitch, int32_t height,
                   int32_t& used);

// The zones of a train's band, in line units upward from the rail line.
namespace band_zone {
inline constexpr int16_t kAbove = 0;     // VehicleHeight to AboveBase
inline constexpr int16_t kVehicles = 1;  // 0 to VehicleHeight
inline constexpr int16_t kBelow = 2;     // -BelowBase to 0
}  // namespace band_zone

// The overlap of a zone with a picture slot's rows (its PosY and FrameHeight, in line units);
// the overlap is left in ClipStart and ClipLength.
struct ClipSpan {
    int32_t ClipStart = 0;
    int32_t ClipLength = 0;
};
ClipSpan& clipSpan();
bool ClipPictureSpan(int32_t train, int32_t slot, int16_t zone);

void CreateCompositionDC(int32_t width, int32_t height);
void DeleteCompositionDC();

}  // namespace yov
