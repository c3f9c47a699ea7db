// Our software raster: memory bitmaps (1, 8, 24 and 32 bits per pixel), device contexts and
// brushes behind typed 32-bit handles, and the blits that the program and the engine draw with,
// named and behaving like their GDI counterparts so that drawing code reads the same.
//
// Rules that hold everywhere:
// - Colours are 0x00BBGGRR (red in the low byte). 32-bit pixels are 0x00RRGGBB in memory order
//   blue, green, red, fourth byte; the fourth byte is not a colour: every operation reads it as 0
//   and writes 0.
// - Raster operations act bitwise on the destination's pixel values: 8-bit bitmaps combine
//   palette indices, 1-bit bitmaps combine bits. Only bits 16 to 23 of a raster operation
//   (the ternary code) are read; the low word may hold anything.
// - A zero, stale or wrong-kind handle makes a call fail (false, 0 or CLR_INVALID) and changes
//   nothing. Every operation is clipped to the destination bitmap and to the source bitmap.
// - Creating, selecting and deleting objects may happen on any thread. Two threads must not draw
//   into the same bitmap at once, and a DC in use by one thread must not be deleted by another.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

using COLORREF = std::uint32_t;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GetGValue(COLORREF c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t GetBValue(COLORREF c) { return static_cast<std::uint8_t>(c >> 16); }

// A handle of one kind of raster object. The id is never 0 or 1 for a live object and always
// fits a positive signed 32-bit field, so records that keep handles in 32 bits (and use 0 and 1
// as markers) can hold them.
template <class Kind>
struct RasterHandle {
    std::uint32_t id = 0;

    constexpr RasterHandle() = default;
    constexpr explicit RasterHandle(std::uint32_t raw) : id(raw) {}
    static constexpr RasterHandle FromValue(std::int32_t value) {
        return RasterHandle(static_cast<std::uint32_t>(value));
    }
    constexpr std::int32_t Value() const { return static_cast<std::int32_t>(id); }
    constexpr explicit operator bool() const { return id != 0; }
    friend constexpr bool operator==(RasterHandle, RasterHandle) = default;
};

struct DcKind;
struct BitmapKind;
struct BrushKind;
using HDC = RasterHandle<DcKind>;
using HBITMAP = RasterHandle<BitmapKind>;
using HBRUSH = RasterHandle<BrushKind>;

// Any object that DeleteObject takes.
struct HGDIOBJ {
    std::uint32_t id = 0;

    constexpr HGDIOBJ() = default;
    constexpr HGDIOBJ(HBITMAP h) : id(h.id) {}
    constexpr HGDIOBJ(HBRUSH h) : id(h.id) {}
    constexpr explicit operator bool() const { return id != 0; }
};

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;   // exclusive
    std::int32_t bottom = 0;  // exclusive
};

// Raster operations: the ternary code in bits 16 to 23 is the truth table of pattern (P, bit 2
// of the minterm), source (S, bit 1) and destination (D, bit 0).
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;      // S
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;     // D | S
inline constexpr std::uint32_t SRCAND = 0x008800C6;       // D & S
inline constexpr std::uint32_t SRCINVERT = 0x00660046;    // D ^ S
inline constexpr std::uint32_t SRCERASE = 0x00440328;     // S & ~D
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;   // ~S
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;  // ~(D | S)
inline constexpr std::uint32_t MERGECOPY = 0x00C000CA;    // P & S
inline constexpr std::uint32_t MERGEPAINT = 0x00BB0226;   // ~S | D
inline constexpr std::uint32_t PATCOPY = 0x00F00021;      // P
inline constexpr std::uint32_t PATPAINT = 0x00FB0A09;     // P | ~S | D
inline constexpr std::uint32_t PATINVERT = 0x005A0049;    // P ^ D
inline constexpr std::uint32_t DSTINVERT = 0x00550009;    // ~D
inline constexpr std::uint32_t BLACKNESS = 0x00000042;    // all bits 0
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;    // all bits 1
// Destination AND NOT source: clears the destination where a mask is set.
inline constexpr std::uint32_t ROP_DST_AND_NOT_SRC = 0x00220326;

// The raster operation with the given ternary code (its low word left 0).
constexpr std::uint32_t MakeRop3(std::uint8_t code) { return static_cast<std::uint32_t>(code) << 16; }

// Stretch modes.
inline constexpr int BLACKONWHITE = 1;  // shrinking ANDs the pixels that fall together
inline constexpr int WHITEONBLACK = 2;  // shrinking ORs them
inline constexpr int COLORONCOLOR = 3;  // nearest pixel
inline constexpr int HALFTONE = 4;      // shrinking averages true-colour pixels

// Flood fill kinds.
inline constexpr unsigned FLOODFILLBORDER = 0;   // fill up to pixels of the colour
inline constexpr unsigned FLOODFILLSURFACE = 1;  // fill the pixels of the colour

// Stock brushes.
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;

// GetDeviceCaps indices.
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;

// Colour-table use of the DIB functions; only DIB_RGB_COLORS is supported.
inline constexpr unsigned DIB_RGB_COLORS = 0;

// Reasons a call failed, read with GetLastRasterError (numbered as the Windows errors).
inline constexpr std::uint32_t RASTER_ERROR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t RASTER_ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr std::uint32_t RASTER_ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t RASTER_ERROR_BUSY = 170;  // object selected into a DC

struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

// The 40-byte header of a device-independent bitmap, field for field as bitmap files store it.
// A positive height means rows are stored bottom-up, a negative one top-down.
struct DibHeader {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;  // only 0 (uncompressed) is accepted
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;  // 0: the full table of 2 or 256 entries
    std::uint32_t clrImportant = 0;
};
static_assert(sizeof(DibHeader) == 40);

// A DIB header with its colour table (read for 1- and 8-bit DIBs).
struct DibInfo {
    DibHeader header;
    RgbQuad colors[256];
};

// What GetObject reports about a bitmap.
struct BitmapDesc {
    int width = 0;
    int height = 0;
    int widthBytes = 0;  // bytes per row
    int bitsPerPixel = 0;
    void* bits = nullptr;  // DIB sections only, as created (bottom-up or top-down)
};

// Direct access to a bitmap's pixel memory, so other code (the program's Qt side) can wrap it
// without copying. Row y starts at topRow + y * stride; stride is negative for a bottom-up DIB
// section. 32 bits: blue, green, red, 0 per pixel (Qt's RGB32 byte order); 24 bits: blue, green,
// red; 8 bits: palette indices; 1 bit: most significant bit first, 1 = palette entry 1. The
// memory lives as long as the bitmap.
struct PixelAccess {
    std::uint8_t* topRow = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    const RgbQuad* palette = nullptr;  // 1 and 8 bits
    int paletteSize = 0;
};

// Objects.
HDC CreateCompatibleDC(HDC reference);  // a memory DC holding the stock 1x1 monochrome bitmap
bool DeleteDC(HDC dc);                  // its selected objects become free again
HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HBITMAP CreateDIBSection(HDC dc, const DibInfo* info, unsigned usage, void** bits);
HBRUSH CreateSolidBrush(COLORREF colour);
HBRUSH CreatePatternBrush(HBITMAP bitmap);  // the top-left 8x8 pixels
HBRUSH GetStockBrush(int which);
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);  // the bitmap selected before, or 0 on failure
HBRUSH SelectObject(HDC dc, HBRUSH brush);
bool DeleteObject(HGDIOBJ object);  // fails while the object is selected into a DC
HBITMAP GetCurrentBitmap(HDC dc);
HBRUSH GetCurrentBrush(HDC dc);
bool GetObject(HBITMAP bitmap, BitmapDesc& desc);
bool AccessPixels(HBITMAP bitmap, PixelAccess& access);
int GetDeviceCaps(HDC dc, int index);
std::uint32_t GetLastRasterError();  // of the calling thread

// DC state.
COLORREF SetTextColor(HDC dc, COLORREF colour);  // previous colour, or CLR_INVALID
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
COLORREF GetBkColor(HDC dc);
int SetStretchBltMode(HDC dc, int mode);  // previous mode, or 0
int GetStretchBltMode(HDC dc);
// Colour table of the 1- or 8-bit bitmap selected into the DC; the number of entries handled.
unsigned GetDIBColorTable(HDC dc, unsigned start, unsigned count, RgbQuad* colours);
unsigned SetDIBColorTable(HDC dc, unsigned start, unsigned count, const RgbQuad* colours);

// Drawing. Between a 1-bit and a colour bitmap: from 1 bit, 0 becomes the destination DC's text
// colour and 1 its background colour; to 1 bit, pixels of the source DC's background colour
// become 1 and all others 0. Colours going to an 8-bit bitmap take the nearest palette entry.
bool BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, std::uint32_t rop);
// Negative extents mirror: a width of -w at x covers the columns x, x-1, ... x-w+1.
bool StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth, int srcHeight,
                std::uint32_t rop);
bool PatBlt(HDC dc, int x, int y, int width, int height, std::uint32_t rop);
bool FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Copies all but the source pixels whose colour is the transparent colour (stretching as StretchBlt).
bool TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, COLORREF transparent);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);  // the colour actually set
bool SetPixelV(HDC dc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC dc, int x, int y);
bool ExtFloodFill(HDC dc, int x, int y, COLORREF colour, unsigned fillType);
bool GdiFlush();

// DIBs in caller memory. ySrc counts rows from the bottom of a bottom-up DIB and from the top of a
// top-down one; the caller's bits hold the scan lines startScan .. startScan + numScans - 1 in
// storage order. 1-bit DIBs are drawn with their own colour table.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, unsigned width, unsigned height, int xSrc, int ySrc,
                      unsigned startScan, unsigned numScans, const void* bits, const DibInfo* info, unsigned usage);
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const DibInfo* info, unsigned usage, std::uint32_t rop);
// Writes the bitmap's rows in the format the header asks for (1, 8, 24 or 32 bits); with bits
// null only fills in the header (and the colour table of a 1- or 8-bit request). Returns the
// number of scan lines written.
int GetDIBits(HDC dc, HBITMAP bitmap, unsigned startScan, unsigned numScans, void* bits, DibInfo* info, unsigned usage);
int SetDIBits(HDC dc, HBITMAP bitmap, unsigned startScan, unsigned numScans, const void* bits, const DibInfo* info,
              unsigned usage);

}  // namespace plat
