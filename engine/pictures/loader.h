// Picture loading: the picture names and their sources, the load itself, and the loader
// thread that LookPicture hands each load to while the main thread keeps raising event 204.
#pragma once

#include <cstdint>
#include <string_view>

#include "lumvatek/exports.h"

namespace lvk {

// Picture loading (-105xx); kErrGifOpen (-10501) is in picture_decoders.h.
inline constexpr int32_t kErrNameLong = -10503;
inline constexpr int32_t kErrNoName = -10504;
inline constexpr int32_t kErrUnknownSource = -10505;  // no "|", "?", ";" and no known ending
inline constexpr int32_t kErrNoLoader = -10506;       // LookPicture without a loader thread
inline constexpr int32_t kErrLoadBusy = -10507;       // LookPicture inside another one's wait

// Load flags (the low byte of LookPicture's last argument).
inline constexpr int32_t kLoadMagentaTransparent = 0x10;  // entry 243,0,243 becomes transparent
inline constexpr int32_t kLoadCornerTransparent = 0x20;   // the top-left pixel becomes transparent
inline constexpr int32_t kLoadCacheAlways = 0x80;         // cache the picture in cache mode 0

inline constexpr size_t kMaxPictureName = 255;

// Where a picture name says its picture comes from. The first of "|", "?" and ";" decides;
// without any of them the last four characters (".gif", ".bmp", ".dib", any case).
enum class PictureSource : uint8_t {
    None,       // nothing known: the name is refused
    NeBitmap,   // "file|n": bitmap n of a 16-bit executable
    Library,    // "file?offset": the record at that offset of a picture library
    DllBitmap,  // "text;name": the bitmap of that name in the caller's resource module
    Gif,
    Bmp,  // ".bmp" and ".dib"
};

struct PictureName {
    PictureSource source = PictureSource::None;
    std::string_view file;      // NeBitmap, Library: the text before the separator; Gif, Bmp: the name
    int64_t number = 0;         // NeBitmap, Library: the digits after the separator (none: 0)
    std::string_view resource;  // DllBitmap: the text after ";"
};

// Views into name. Numbers stop at the first character that is not a digit and saturate
// instead of wrapping.
PictureName ParsePictureName(std::string_view name);

// The load on the calling thread: the loader thread's work, and the seam of tests and
// benchmarks. Null output pointers are skipped. 0 found in the cache, 1 loaded, or a
// negative code.
int32_t LoadPicture(const char* name, LvHandle module, int16_t* widthOut, int16_t* heightOut, int32_t* offsetOut,
                    int32_t flags);

// Library start and stop. Starting again while the loader runs does nothing. Stopping
// returns only once the thread has ended: a load in progress is finished first, so that
// nothing the library frees afterwards is still in use.
void StartPictureLoader();
void StopPictureLoader();
bool PictureLoaderRunning();

// For tests: called on the loader thread just before each load (null: none).
void SetLoadStartHook(void (*hook)());

}  // namespace lvk
