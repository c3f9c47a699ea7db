// The engine's single current picture: what the last decoder, cache selection or
// comparison left, with the work buffers every picture operation shares.
//
// Decoders (GIF, BMP, DIB, NE, library records) write Header (size, flags, transparent
// index, name), Palette and the rows of PictureBuffer after GrowPictureBuffer, and set
// LastLength; they set HeldEntry to 0 (the work buffer no longer holds a cache entry).
// The cache, the libraries, the drawing exports and the writers read it. Only one
// thread works on it at a time (the main thread waits for every load), so no locks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lvk {

// PictureFlags, one byte shared by cache entries, library records and the current picture.
inline constexpr uint8_t kPicTransparent = 0x01;  // TransparentIndex is valid
inline constexpr uint8_t kPicMarkerZero = 0x02;   // index 0 stands for the marker colour 123,0,123
inline constexpr uint8_t kPicOwnBlock = 0x08;     // memory cache entry with a data block of its own
inline constexpr uint8_t kPicZlib = 0x10;         // library record in the zlib form
inline constexpr uint8_t kPicTrueColour = 0x80;   // 32-bit pixels, no palette: never coded or cached

// Codes of the work-buffer family (-100xx).
inline constexpr int32_t kErrPictureBuffer = -10001;
inline constexpr int32_t kErrCacheBlock = -10002;
inline constexpr int32_t kErrRunTable = -10003;
inline constexpr int32_t kErrCannotCode = -10004;  // zero size, true colour, empty palette, index past it
inline constexpr int32_t kErrCacheGrow = -10005;
inline constexpr int32_t kErrCodeBuffer = -10006;
inline constexpr int32_t kErrCodeDamaged = -10007;  // bit code that does not describe a picture
inline constexpr int32_t kErrZlibForm = -10008;     // zlib form damaged, or zlib refused to work
inline constexpr int32_t kErrNoEntry = -10018;      // no cache entry at that offset
inline constexpr int32_t kErrCacheFull = -10019;    // the cache would pass 2 GiB

// Picture header and name, as a cache entry holds them (the byte layout is written by
// the cache, see cache_image.h).
struct PictureHeader {
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint32_t DataLocation = 0;
    uint32_t DataLength = 0;
    uint8_t Flags = 0;
    uint8_t TransparentIndex = 0;
    uint8_t NameLength = 0;
    char Name[256] = {};  // NameLength bytes, no terminator
};

struct PaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;
};

// A logical palette: version 0x300, 0 to 256 entries in use.
struct LogPalette {
    uint16_t Version = 0x300;
    uint16_t Count = 0;
    PaletteEntry Entries[256];
};

struct CurrentPicture {
    PictureHeader Header;
    LogPalette Palette;

    // Rows top to bottom, RowStride() bytes each: palette indices, or for true colour
    // 4 bytes per pixel (blue, green, red, unused).
    uint8_t* PictureBuffer = nullptr;
    size_t PictureBufferSize = 0;
    uint8_t* CodeBuffer = nullptr;
    size_t CodeBufferSize = 0;
    // The bit code's run lengths, RunTableEntries of them; the codec keeps a
    // length-to-index map of the same size behind them.
    uint32_t* RunTable = nullptr;
    size_t RunTableEntries = 0;
    uint8_t* MaskBuffer = nullptr;
    size_t MaskBufferSize = 0;

    // Bytes of coded or file data that the last read or write consumed or produced.
    uint32_t LastLength = 0;
    // Bytes that the last EncodePicture or DeflatePicture wrote into CodeBuffer.
    uint32_t CodeLength = 0;
    // Offset of the cache entry whose pixels the work buffer holds; 0 = none.
    int32_t HeldEntry = 0;

    bool TrueColour() const { return (Header.Flags & kPicTrueColour) != 0; }
    size_t RowStride() const {
        size_t padded = (static_cast<size_t>(Header.Width) + 3) & ~static_cast<size_t>(3);
        return TrueColour() ? padded * 4 : padded;
    }
    uint8_t* Row(int y) { return PictureBuffer + static_cast<size_t>(y) * RowStride(); }
    const uint8_t* Row(int y) const { return PictureBuffer + static_cast<size_t>(y) * RowStride(); }
    void SetName(const char* name, size_t length);
};

// The engine's one current picture.
CurrentPicture& CurPic();

// Makes PictureBuffer hold RowStride() x Height bytes for the header's size and flags.
// Returns 0 or -10001; a buffer that is large enough is kept, contents are not.
int32_t GrowPictureBuffer();
// Makes CodeBuffer hold at least n bytes (n + 1000 when it must grow). 0 or -10006.
int32_t GrowCodeBuffer(size_t n);
// Makes RunTable hold 2 x width + 100 entries for the header's width. 0 or -10003.
int32_t GrowRunTable();
// Releases the work buffers with their closing tags (library stop).
void FreePictureBuffers();

}  // namespace lvk
