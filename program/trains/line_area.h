// The drawing area of one scene line as the layer builders and the area painting see it:
// its place on the scene, its zones, the layers built for it and what the frame painting
// reads back (visible blocks of the background, foreground and temporary-background
// bands, the temporary background's span, the repaint words of the back pages).
//
// The line's train record holds one of these; the show's train records fill the band
// fields before the area is painted. Line coordinates: x from 0 to Width, y upward from
// the rail line; scene pixel = (AreaLeftX + x, BaseY - 1 - y) for the row just above y.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lumvatek/exports.h"
#include "program/core/pictures/canvas_memdc.h"

namespace yov {

// A rectangle of visible content in a line's vehicle band: band columns and band rows
// (row 0 is the band's top, the vehicle height above the rail line).
struct VisibleBlock {
  int32_t Left = 0;
  int32_t Width = 0;
  int32_t Top = 0;
  int32_t Height = 0;
  bool operator==(const VisibleBlock&) const = default;
};

// A block of a foreground or temporary-background band with its own copy of the pixels
// (picture and mask), or in DirectDraw operation a surface keyed on the show's key colour.
struct LayerPiece {
  VisibleBlock Block;
  MaskedPicture Pixels;
  LvHandle Surface = 0;
};

inline constexpr int kMaxLayerBlocks = 10;
inline constexpr int kMaxBackPages = 3;

// Layer kinds of a line area.
namespace layer_kind {
inline constexpr uint8_t kBackground = 0;
inline constexpr uint8_t kForeground = 1;
inline constexpr uint8_t kSectionBand = 2;     // section objects: band from the top
inline constexpr uint8_t kSectionPlaced = 3;   // section objects: at the line's origin
inline constexpr uint8_t kSectionBehind = 4;   // section objects: behind what is there
inline constexpr uint8_t kTemporary = 5;
}  // namespace layer_kind

// Bits of LineArea::LayerFlags.
namespace layer_flag {
inline constexpr int32_t kBelowBase = 0x01;   // a BG or FG copy reaches below the rail line
inline constexpr int32_t kAboveBand = 0x04;   // ... above the vehicle band
inline constexpr int32_t kPainted = 0x08;
inline constexpr int32_t kBackground = 0x10;  // the BG band holds content
inline constexpr int32_t kForeground = 0x20;
inline constexpr int32_t kTemporary = 0x40;
}  // namespace layer_flag

struct LineArea {
  // --- Filled by the train records before painting.
  int32_t BandTop = 0;        // scene row of the band's top
  int32_t OriginX = 0;        // scene column of x = 0
  int32_t OriginY = 0;        // scene row of the rail line (for the section kinds)
  int32_t Width = 0;
  int32_t BandHeight = 0;
  int32_t VehicleHeight = 0;  // VH
  int32_t AboveBase = 0;
  int32_t BelowBase = 0;
  int32_t BgPart = 0;         // picture parts of the background and foreground layers
  int32_t FgPart = 0;
  int32_t ScriptLine = 0;     // the script line being started, named in its errors

  // --- Written by the painting.
  int32_t AreaTopY = 0;
  int32_t AreaLeftX = 0;
  int32_t BaseY = 0;
  int32_t LayerFlags = 0;
  int32_t LayerTop = 0;
  int32_t LayerBottom = 0;
  int32_t WireHeight = 0;
  std::u16string BgText, FgText, TgText;
  int32_t BgLine = 0, FgLine = 0, TgLine = 0;
  int32_t SceneDC = 0;
  LvHandle SceneSurface = 0;
  LvHandle AreaBuffer = 0;
  int32_t AreaBufferData = 0;
  std::array<int32_t, kMaxBackPages> BufferRedraw{};
  int32_t FgBandBase = 0;
  int32_t FgBandHeight = 0;

  // --- Layers for the frame painting.
  std::vector<VisibleBlock> BgBlocks;
  std::vector<LayerPiece> FgPieces;
  std::vector<LayerPiece> TgPieces;
  int32_t TbgFrom = 0, TbgTo = 0;
  int32_t TbgFrom2 = 0, TbgTo2 = 0;
  std::array<int32_t, kMaxBackPages> TbgBufferFrom{};
  std::array<int32_t, kMaxBackPages> TbgBufferTo{};
};

// Frees the pixel copies of the line's FG and TG pieces (and their surfaces).
void FreeLayerPieces(LineArea& area);

}  // namespace yov
