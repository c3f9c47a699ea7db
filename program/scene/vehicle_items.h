// The items of a vehicle's picture description, as the builder hands them to the files
// that carry them out: edits of the picture, moving parts, doors, texts in stock fonts and
// pictures placed from stock references.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "program/scene/vehicle_build.h"

namespace yov {

// Alias-list numbers of the engine's fixed lists that the items read.
namespace plist {
inline constexpr int32_t R = 1, PhaseP = 2, X = 3, Y = 4, OtherP = 5, RX = 6, RY = 7, W = 8, H = 9, C = 10, O = 11,
                         N = 12, SX = 13, SY = 14, TX = 15, TY = 16, P = 17, B = 18, A = 19, Base = 20, Name = 21,
                         DoorC = 22, DoorM = 23, FX = 24, FY = 25, T = 26, Frames = 27, StepX = 28, StepY = 29, X2 = 30,
                         Type = 31, EndP = 32, Text = 33, Colour = 34, Abc = 35, Border = 36, Spacing = 37, Repeat = 38,
                         Index = 39;
}  // namespace plist

// One item being applied.
struct VehicleItem {
    std::u16string key;
    std::u16string value;  // trimmed text after the first ":"
    std::u16string text;   // the whole item, for messages
    int16_t side = 0;      // +1 top, -1 bottom
    int16_t variantWord = 0;
    int16_t mirror = 0;
    int16_t endSide = 0;         // end keys: -1 left, 0 both, +1 right
    int32_t* value32 = nullptr;  // the caller's value
    uint8_t variant = 0;
    int32_t flags = 0;
};

// The upper-cased description of stock entry n (its third text, else its second).
std::u16string StockDescriptionOf(int32_t n);
// The text after "[" + section in description up to its "]" (bracket-aware); nullopt-like
// empty result with found = false when the section is missing. A missing "]" raises "MISB".
std::u16string DescriptionSection(std::u16string_view description, std::u16string_view section, bool& found);

// Reads of the current item's parameters.
int32_t ItemNumber(int32_t defaultValue, int32_t list);
std::u16string ItemString(int32_t list);
// The parameter's text as written (animation rules are not expressions).
std::u16string ItemRawString(int32_t list);
int32_t ItemColour(int32_t list, int32_t defaultColour);

// Turns the picture and mask area of the two DCs round left to right, where it stands.
void MirrorArea(int32_t dc, int32_t maskDc, int32_t x, int32_t y, int32_t width, int32_t height, int32_t site);

// Edits of the picture (vehicle_items_edit.cpp).
void ItemFillRect(const VehicleItem& item, bool opaque);
void ItemBrightness(const VehicleItem& item);
void ItemRecolour(const VehicleItem& item);
void ItemCopyRect(const VehicleItem& item);
void ItemCrop(const VehicleItem& item);
void ItemMirror(const VehicleItem& item, bool reverse);
void ItemMirrorInPlace(const VehicleItem& item);
void ItemCopyAcross(const VehicleItem& item, bool mirrored);
void ItemFloodFill(const VehicleItem& item);
void ItemMaskPicture(const VehicleItem& item);

// Moving parts (vehicle_items_parts.cpp).
void ItemAnimatedPart(const VehicleItem& item, bool otherState);
void ItemPantograph(const VehicleItem& item);
void ItemPantographElement(const VehicleItem& item);
void ItemLamp(const VehicleItem& item);
void ItemPantographCopies(const VehicleItem& item);
void ItemEndPicture(const VehicleItem& item);
void ItemEndCut(const VehicleItem& item);
void ItemEndPair(const VehicleItem& item);
void ItemJoinEnd(const VehicleItem& item, bool right);

// Doors (doors.cpp).
void LoadDoorPicture(uint8_t kind, const VehicleItem& item);
void ItemDoorAnimation(const VehicleItem& item);

// Texts in stock fonts (stock_fonts.cpp).
void LoadFontPicture(int32_t& value, int32_t flags, const TextPlacement& placement);

// Pictures placed from stock references (placed_pictures.cpp).
void LoadExpandedStock(std::u16string reference, int32_t& x, int32_t& y, int32_t& value, int32_t flags);
void ItemDefinePicture(const VehicleItem& item, bool withPicture);
void ItemOverlay(const VehicleItem& item);
// Places named picture n of the table for the item naming it.
void ItemNamedPicture(const VehicleItem& item, int32_t n);

}  // namespace yov
