// Picture references: a stock entry's name, a file name or path, or a stock index resolved
// to a picture the engine finds in its cache or loads (OpenPictureRef), the referenced
// picture or sheet cell drawn with its mask (DrawPicturePart), and the cached pictures of
// a temporary cache dropped again (CleanPictureCache).
//
// Main thread. LookPicture lets the show take frame steps while it waits, so no pointer
// into the stock tables is held across it: the entry is found again by its index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lumvatek/exports.h"

namespace yov {

// The record of the last OpenPictureRef, which the picture builders read.
struct PictureRef {
    int32_t PicRefStock = 0;  // stock entry, 0 for a picture opened by file name
    int32_t PicRefCache = 0;  // the cache reference LookPicture gave (0: current picture)
    int32_t PicRefWidth = 0;
    int32_t PicRefHeight = 0;
    int32_t PicRefOpenWidth = 0;  // the two sizes when the call ended
    int32_t PicRefOpenHeight = 0;
    uint8_t PicRefCell = 0;   // 0 a whole picture, else the cell letter of a picture sheet
    int32_t PicRefCellX = 0;  // the cell in the sheet; y negative: counted up from the bottom
    int32_t PicRefCellY = 0;
    int32_t PicRefCellWidth = 0;
    int32_t PicRefCellHeight = 0;
};

PictureRef& pictureRef();

// Flags of OpenPictureRef.
inline constexpr int16_t kRefTemporaryCache = 0x80;  // cached even in cache mode 0, dropped later
inline constexpr int16_t kRefKnownSize = 0x40;       // an entry that knows its size is not loaded

// Stock-file indices of entries without a file.
inline constexpr uint16_t kFileIndexPictureName = 0x7FFE;  // the picture text names the picture
inline constexpr uint16_t kFileIndexMacro = 0x7FFF;        // a macro: no single picture

// Picture kinds with a syntax of their own; the others name a file in the stock file's folder.
inline constexpr uint8_t kKindResource16 = 5;  // "file|number"
inline constexpr uint8_t kKindResource32 = 6;  // "text;name" in the opened library
inline constexpr uint8_t kKindLibrary = 7;     // "file?offset"
inline constexpr uint8_t kKindSheet = 9;       // a BMP of cells; the text's last letter names one

// The sheet cell a letter names, from the size of the whole sheet: three columns (the first
// of the whole width less one, the second and third its halves), rows of the stock's
// picture height counted up from the bottom.
struct SheetCell {
    int32_t x = 0;
    int32_t y = 0;  // negative
    int32_t width = 0;
    int32_t height = 0;
};
SheetCell SheetCellOf(char16_t letter, int32_t sheetWidth, int32_t sheetHeight, int32_t pictureHeight);

// The start-up tables of picture kinds 0..19 (BuildStartupTables): the flag byte and the
// file extension of a kind; 0 and no extension for a kind outside them.
uint8_t PictureKindClass(int kind);
std::u16string PictureKindExtension(int kind);

// Resolves the reference and fills the record; text is taken by reference and left as it
// was resolved (quotes removed, "/" made "\", ".GIF" added). Failures are program errors
// ("PNF", "MUP", "ERLD", "FNF", "Empty Value for "); the record keeps what was filled.
void OpenPictureRef(std::u16string& text, int16_t flags, int32_t stockIndex);

// A picture's file name in a stock file of a picture kind: the name with the kind's
// extension ("E40" + ".GIF"); a name that already ends in it ("e40.gif") keeps its own, since
// a stock file that names its pictures with their extension would otherwise name no file.
std::u16string WithKindExtension(std::u16string_view name, std::u16string_view extension);

// Draws the last referenced picture with its mask: a sheet cell, or for a whole picture its
// bottom `rows` rows. The width is limited to the cell's or picture's width (0 takes all of
// it). A failure is the program error "ERDP" with the code and the name.
void DrawPicturePart(int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest, int32_t width,
                     int32_t rows, std::u16string_view name, int32_t flags);

// Cache mode 0 only: the engine drops the pictures added in memory, and the entries opened
// into the temporary cache forget their cache reference.
void CleanPictureCache();

// The entries whose pictures went into the temporary cache (cache mode 0, flag 0x80).
const std::vector<int32_t>& openedEntries();

}  // namespace yov
