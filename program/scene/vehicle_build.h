// What the vehicle picture builder keeps between its items and hands to its callers: the
// picture's flag byte and mirrored word, the conditions a canvas in mode 2 collects, the
// named pictures and the text placement of one description, the motion defaults for the
// train generation, and the stock browser's plain-view flag.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "program/scene/part_placement.h"

namespace yov {

// Bits of the picture's flag byte.
inline constexpr uint8_t kPicDirectional = 0x01;  // an item carried a direction marker
inline constexpr uint8_t kPicCondL = 0x02;
inline constexpr uint8_t kPicCondE = 0x04;
inline constexpr uint8_t kPicCondC = 0x08;
inline constexpr uint8_t kPicMirrored = 0x10;  // "M" or "R" mirrored the picture

// Nesting of pictures placed from stock references (a vehicle carrying a vehicle); a
// description that places itself stops here with an error instead of recursing for ever.
inline constexpr int kMaxPlacedDepth = 8;
// Pictures placed in all while one vehicle is built: repeated overlays at every depth would
// otherwise multiply without bound.
inline constexpr int kMaxPlacedPictures = 256;

inline constexpr int kMaxNamedPictures = 10;

struct BuildCondition {
    std::u16string Name;
    uint8_t On = 0;
    uint8_t Seen = 0;
};

struct NamedPicture {
    std::u16string Name;
    std::u16string Reference;
    int32_t X = kNotGiven;
    int32_t Y = kNotGiven;
    int32_t Base = 0;
    int16_t Side = 0;
    int16_t Mirror = 0;
};

struct VehicleBuildState {
    uint8_t PictureFlags = 0;  // read by the stock picture loader and the stock browser
    int16_t Mirrored = 0;      // toggled by "M" and "R"
    uint8_t PlainView = 0;     // set by the stock browser: both directions, no conditions, no edits
    std::vector<BuildCondition> Conditions;
    std::array<NamedPicture, kMaxNamedPictures + 1> Named{};  // 1..NamedCount
    int32_t NamedCount = 0;
    TextPlacement Text;
    // Motion defaults of the vehicle ("#A", "#B", "#V"/"#D", "#W"); the train picture
    // builder clears them before each train.
    float DefaultAcceleration = 0;
    float DefaultBraking = 0;
    float DefaultSpeed = 0;
    std::u16string DefaultW;
    int32_t PantographParts = 0;  // animated parts driven with the pantographs ("A" with label PAN)
    int PlacedDepth = 0;          // pictures being placed from stock references, nested
    int PlacedCount = 0;          // pictures placed since the outermost build began
};

inline VehicleBuildState& vehicleBuild() {
    static VehicleBuildState state;
    return state;
}

}  // namespace yov
