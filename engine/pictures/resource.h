// Bitmap resources as pictures: device-independent bitmaps (DIBs) read out of 16-bit NE
// executables and out of 32- and 64-bit PE resource libraries, both read as data files
// by our own bounds-checked readers, and the listings of their bitmap names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "lumvatek/exports.h"

namespace lvk {

// NE name listing (-102xx).
inline constexpr int32_t kErrListNeOpen = -10201;
inline constexpr int32_t kErrListNotNe = -10202;
inline constexpr int32_t kErrListNeFit = -10204;
inline constexpr int32_t kErrListNePe = -10205;
inline constexpr int32_t kErrListNeTable = -10206;  // resource or name table runs past the file
// NE bitmaps and DIBs (-103xx).
inline constexpr int32_t kErrNeOpen = -10301;
inline constexpr int32_t kErrNotNe = -10302;
inline constexpr int32_t kErrNePe = -10303;
inline constexpr int32_t kErrNeNoBitmaps = -10304;
inline constexpr int32_t kErrNeNoBitmap = -10305;
inline constexpr int32_t kErrDibHeader = -10306;
inline constexpr int32_t kErrDibBits = -10307;
inline constexpr int32_t kErrNeTable = -10308;   // resource table runs past the end of the file
inline constexpr int32_t kErrNeData = -10309;    // the bitmap starts past the end of the file
inline constexpr int32_t kErrDibShort = -10310;  // header, colour table or rows missing
inline constexpr int32_t kErrDibSize = -10311;   // width or height outside 1 to 65535
inline constexpr int32_t kErrDibCompressed = -10312;
inline constexpr int32_t kErrDibColours = -10313;  // colour count above 1 << bit count
// DLL bitmaps (-107xx).
inline constexpr int32_t kErrDllLock = -10701;

// Error numbers of the platform this stands in for, as the exports report them.
inline constexpr int32_t kWinFileNotFound = 2;
inline constexpr int32_t kWinPathNotFound = 3;
inline constexpr int32_t kWinAccessDenied = 5;
inline constexpr int32_t kWinInvalidHandle = 6;
inline constexpr int32_t kWinNotEnoughMemory = 8;
inline constexpr int32_t kWinReadFault = 30;
inline constexpr int32_t kWinInvalidParameter = 87;
inline constexpr int32_t kWinBadExeFormat = 193;
inline constexpr int32_t kWinResourceDataNotFound = 1812;
inline constexpr int32_t kWinResourceTypeNotFound = 1813;
inline constexpr int32_t kWinResourceNameNotFound = 1814;
inline constexpr int32_t kWinEnumStopped = 15106;
int32_t WinErrorFromErrno(int err);

// A DIB (40-byte header, colour table, bottom-up rows) of size bytes into the current
// picture. 4 and 8 bits, uncompressed. 0 or -103xx / -10001.
int32_t DecodeDib(const uint8_t* dib, size_t size);

// Bitmap n of an NE file: the first bitmap whose 16-bit id is n + 0x8000.
int32_t ReadNeBitmap(const char* file, int32_t n);
int32_t ReadNeBitmapFrom(ByteSource& file, int32_t n);
// "name:number;" for the NE file's named bitmaps, ended by a zero byte; the length
// without it, or -102xx.
int32_t ListNeBitmapNames(ByteSource& file, char* buffer, int32_t size);

// The bitmaps of a PE resource library, read and checked whole when it is opened.
struct PeBitmap {
    bool named = false;
    std::string name;  // 8-bit (Windows-1252) as the enumeration gives it
    uint16_t id = 0;
    uint64_t offset = 0;  // the data in the file
    uint32_t size = 0;
    bool dataPresent = false;
};
struct PeLibrary {
    std::vector<uint8_t> image;
    std::vector<PeBitmap> bitmaps;  // directory order: named ones first
    bool hasBitmapType = false;
};
// Parses a PE file's headers and its bitmap resources. 0 or a platform error number
// (193: not a PE image; 1812: the resource directory is damaged, cut or looping).
int32_t ParsePeLibrary(std::vector<uint8_t> image, PeLibrary& out);
// The bitmap of that name ("#n" for a number), or null. 0 or a platform error number.
const PeBitmap* FindPeBitmap(const PeLibrary& lib, const char* name, int32_t& error);
// "NAME;" for each bitmap, numbers as "#n". 0 or a platform error number (15106 when the
// buffer is full); written receives the length without the final zero byte.
int32_t ListPeBitmapNames(const PeLibrary& lib, char* buffer, int32_t size, int32_t& written);

// Modules of OpenLib32: ids into a table of loaded libraries.
int32_t OpenPeModule(const char* file, LvHandle* moduleOut);
bool ClosePeModule(LvHandle module);
// Bitmap of a module by name, decoded into the current picture.
int32_t LoadDllBitmap(LvHandle module, const char* name);

}  // namespace lvk
