// The engine's picture code (cache entries and library records) and its zlib form,
// working on the current picture.
//
// Palette and component counts are bytes in both forms; a count of 256 is stored as 0,
// which no real picture can mean (a picture with pixels has at least one entry), so
// every palette picture of up to 256 entries can be coded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lvk {

// Palette reduction after a decode; flags 0x10 (magenta 243,0,243 is transparent) and
// 0x20 (the top-left pixel is transparent) as the load flags. Entries past the palette
// count that pixels use are kept too, so every pixel indexes the reduced palette.
int32_t ReducePalette(int flags);

// Writes the bit code of the current picture into CodeBuffer from its first byte;
// CodeLength receives its length. 0, -10003, -10004 or -10006.
int32_t EncodePicture();
// Reads the bit code of the current picture's width and height from [data, data+length)
// into the work buffer and the palette, never reading or writing outside them.
// consumed (may be null) receives the bytes advanced. 0, -10001, -10003 or -10007.
int32_t DecodePicture(const uint8_t* data, size_t length, size_t* consumed);

// The zlib form: palette count byte, then one zlib stream of the palette (3 bytes an
// entry) and the rows cut to the width. Level: low 8 bits, above 9 taken as 9.
// DeflatePicture: 0, -10004, -10006 or -10008; CodeLength receives the length.
int32_t DeflatePicture(int level);
// InflatePicture: 0, -10001 or -10008 (the stream is damaged, short or too long);
// LastLength receives the bytes consumed, count byte included.
int32_t InflatePicture(const uint8_t* data, size_t length);

// Makes the cache entry at that offset the current picture (0 keeps the current one).
int32_t SelectCacheEntry(int32_t offset);

}  // namespace lvk
