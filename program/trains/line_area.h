// What the layer builders and the area painting keep in a line's train record: layer
// kinds and flags, and the meaning of a layer piece's values.
//
// Line coordinates: x from 0 to Width, y upward from the rail line; the scene row just
// above line height y is BaseY - 1 - y.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "program/trains/train_record.h"

namespace yov {

// A piece of a foreground or temporary-background band (TrainRec::FgPieces, TgPieces,
// 1..count): Left and Right are its band columns; Values hold its top band row, its
// height, and where its pixels lie: the x, y, DC and mask DC of its draw buffer (Buffer);
// in DirectDraw operation Surface holds them over the key colour.
namespace piece_value {
inline constexpr int kTop = 0;
inline constexpr int kHeight = 1;
inline constexpr int kBufferX = 2;
inline constexpr int kBufferY = 3;
inline constexpr int kBufferDC = 4;
inline constexpr int kBufferMaskDC = 5;
}  // namespace piece_value

inline constexpr int kMaxLayerBlocks = 10;
inline constexpr int kMaxBackPages = 3;

// Layer kinds of a line area.
namespace layer_kind {
inline constexpr uint8_t kBackground = 0;
inline constexpr uint8_t kForeground = 1;
inline constexpr uint8_t kSectionBand = 2;    // section objects: band from the top
inline constexpr uint8_t kSectionPlaced = 3;  // section objects: at the line's origin
inline constexpr uint8_t kSectionBehind = 4;  // section objects: behind what is there
inline constexpr uint8_t kTemporary = 5;
}  // namespace layer_kind

// Bits of LineArea::LayerFlags.
namespace layer_flag {
inline constexpr int32_t kBelowBase = 0x01;  // a BG or FG copy reaches below the rail line
inline constexpr int32_t kAboveBand = 0x04;  // ... above the vehicle band
inline constexpr int32_t kPainted = 0x08;
inline constexpr int32_t kBackground = 0x10;  // the BG band holds content
inline constexpr int32_t kForeground = 0x20;
inline constexpr int32_t kTemporary = 0x40;
}  // namespace layer_flag

// Frees the pixel copies of the line's FG and TG pieces and the lying snow's grow copies
// of the TG pieces (and their surfaces).
void FreeLayerPieces(TrainRec& area);
// The TG pieces and their grow copies alone.
void FreeTempPieces(TrainRec& area);

}  // namespace yov
