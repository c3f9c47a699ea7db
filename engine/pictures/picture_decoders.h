// Readers of picture files (BMP, GIF) into the current picture, and the conversion of
// 32-bit pixels into palette indices that the screen capture shares.
//
// Files are read whole into memory and decoded from there; every length, offset and
// size in them is checked against the bytes present. After a failure the current
// picture holds what was decoded so far.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lvk {

// GIF (-104xx).
inline constexpr int32_t kGifEndedEarly = -1;  // an end code before the image's last pixel
inline constexpr int32_t kErrGifHeader = -10401;
inline constexpr int32_t kErrGifSignature = -10402;
inline constexpr int32_t kErrGifVersion = -10403;
inline constexpr int32_t kErrGifScreen = -10404;
inline constexpr int32_t kErrGifIntroducer = -10405;
inline constexpr int32_t kErrGifLabel = -10406;
inline constexpr int32_t kErrGifControl = -10407;
inline constexpr int32_t kErrGifBlockType = -10408;
inline constexpr int32_t kErrGifDescriptor = -10409;
inline constexpr int32_t kErrGifNoColourTable = -10410;
inline constexpr int32_t kErrGifSubBlockLength = -10411;
inline constexpr int32_t kErrGifSubBlockData = -10412;
inline constexpr int32_t kErrGifColourTable = -10413;
inline constexpr int32_t kErrGifCodeSize = -10414;
inline constexpr int32_t kErrGifPixel = -10415;
inline constexpr int32_t kErrGifDataEnded = -10421;
inline constexpr int32_t kErrGifCodeSizeLarge = -10422;
inline constexpr int32_t kErrGifBadCode = -10423;  // a code past the next free table slot

// BMP (-108xx).
inline constexpr int32_t kErrBmpOpen = -10801;
inline constexpr int32_t kErrBmpFileHeader = -10802;
inline constexpr int32_t kErrBmpType = -10803;
inline constexpr int32_t kErrBmpInfoSize = -10804;
inline constexpr int32_t kErrBmpInfoHeader = -10805;
inline constexpr int32_t kErrBmpTableLarge = -10806;
inline constexpr int32_t kErrBmpTable = -10807;
inline constexpr int32_t kErrBmpMemory = -10808;
inline constexpr int32_t kErrBmpPixels = -10809;
inline constexpr int32_t kErrBmp1Compression = -10810;
inline constexpr int32_t kErrBmp4Compression = -10811;
inline constexpr int32_t kErrBmpBitCount = -10812;
inline constexpr int32_t kErrBmp8Compression = -10813;
inline constexpr int32_t kErrBmpDelta = -10814;
inline constexpr int32_t kErrBmpInfoOther = -10815;
inline constexpr int32_t kErrBmpTableSize = -10816;
inline constexpr int32_t kErrBmp24Compression = -10817;
inline constexpr int32_t kErrBmp32Compression = -10819;
inline constexpr int32_t kErrTooManyColours = -10820;
inline constexpr int32_t kErrBmp16Compression = -10821;
inline constexpr int32_t kErrBmpSize = -10822;  // width or height outside 1 to 65535
inline constexpr int32_t kErrBmpCoreHeader = -10898;

// Picture loading (-105xx).
inline constexpr int32_t kErrGifOpen = -10501;

// BMP file image (file header, 40-byte info header, colour table, pixels) into the
// current picture. 0 or -108xx.
int32_t ReadBmpFile(const uint8_t* data, size_t size);
// Reads the named file and ReadBmpFile's it; -10801 when it cannot be read.
int32_t LoadBmpPicture(const char* file);

// GIF 87a or 89a into the current picture. maxImages 0 reads every image of the file,
// each drawn over the ones before; n > 0 stops after the n-th. 0, -1 or -104xx.
int32_t ReadGifFile(const uint8_t* data, size_t size, int maxImages = 0);
// Reads the named file and ReadGifFile's it; -10501 when it cannot be read.
int32_t LoadGifPicture(const char* file);

// width x height pixels of 4 bytes (blue, green, red, unused; rows of width x 4 bytes)
// into palette indices of the current picture, whose size and work buffer the caller
// has set. Flag 0x01: the first row is the top row. Flag 0x02: entry 0 is reserved
// (1, 1, 1) for pixels whose 32 bits are all set. 0 or -10820 (a 256th colour).
inline constexpr int kQuantTopDown = 0x01;
inline constexpr int kQuantKeyEntry = 0x02;
int32_t QuantizeTrueColour(int flags, const uint8_t* pixels);

}  // namespace lvk
