// The load behind LookPicture: a cache hit by name, or a decode from the source the name
// designates, the palette reduced and the picture appended to the cache.
#include <cstring>
#include <new>
#include <string>

#include "engine/cache/cache.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/loader.h"
#include "engine/pictures/piclib.h"
#include "engine/pictures/picture_decoders.h"
#include "engine/pictures/resource.h"

namespace lvk {

namespace {

constexpr size_t kPageSize = 4096;

void Store(int16_t* widthOut, int16_t* heightOut, int32_t* offsetOut, uint16_t width, uint16_t height, int32_t offset) {
    if (widthOut != nullptr) *widthOut = static_cast<int16_t>(width);
    if (heightOut != nullptr) *heightOut = static_cast<int16_t>(height);
    if (offsetOut != nullptr) *offsetOut = offset;
}

// Brings a cached picture's pages into memory, so that drawing it does not wait for the disk.
void TouchPages(const uint8_t* data, uint32_t length) {
    const volatile uint8_t* p = data;
    uint8_t sink = 0;
    for (size_t at = 0; at < length; at += kPageSize) sink = static_cast<uint8_t>(sink + p[at]);
    (void)sink;
}

int32_t Decode(const PictureName& source, const char* name, LvHandle module, int reduceFlags) {
    CurrentPicture& p = CurPic();
    int32_t r = 0;
    switch (source.source) {
    case PictureSource::NeBitmap: {
        const std::string file(source.file);
        const int32_t n = source.number > INT32_MAX ? INT32_MAX : static_cast<int32_t>(source.number);
        r = ReadNeBitmap(file.c_str(), n);
        break;
    }
    case PictureSource::Library: {
        // Library records keep the palette they were stored with.
        const std::string file(source.file);
        return ReadTrLibPicture(file.c_str(), source.number);
    }
    case PictureSource::DllBitmap: {
        const std::string resource(source.resource);
        r = LoadDllBitmap(module, resource.c_str());
        break;
    }
    case PictureSource::Gif:
        r = LoadGifPicture(name);
        if (r < 0) p.LastLength = 0;
        break;
    case PictureSource::Bmp: r = LoadBmpPicture(name); break;
    case PictureSource::None: return kErrUnknownSource;
    }
    if (r < 0) return r;
    return ReducePalette(reduceFlags);
}

int32_t LoadPictureImpl(const char* name, LvHandle module, int16_t* widthOut, int16_t* heightOut, int32_t* offsetOut,
                        int32_t flags) {
    CurrentPicture& p = CurPic();
    p.LastLength = 0;
    if (name == nullptr || name[0] == '\0') return kErrNoName;
    const size_t length = strnlen(name, kMaxPictureName + 1);
    if (length > kMaxPictureName) return kErrNameLong;

    if (const int32_t offset = CacheFind(name, length); offset > 0) {
        CacheEntry entry;
        if (CacheEntryAt(offset, &entry) == 0) {
            Store(widthOut, heightOut, offsetOut, entry.Width, entry.Height, offset);
            TouchPages(entry.Data, entry.Length);
            return 0;
        }
    }

    // A name of no known source is refused before the current picture changes: decoding
    // nothing would otherwise report, and cache, the previous picture under this name.
    const PictureName source = ParsePictureName(std::string_view(name, length));
    if (source.source == PictureSource::None) return kErrUnknownSource;

    p.HeldEntry = 0;
    p.SetName(name, length);
    if (int32_t r = Decode(source, name, module, flags & (kLoadMagentaTransparent | kLoadCornerTransparent)); r < 0)
        return r;
    Store(widthOut, heightOut, offsetOut, p.Header.Width, p.Header.Height, 0);

    const int mode = CacheMode();
    if (mode < 0 || (mode == 0 && (flags & kLoadCacheAlways) == 0) || p.TrueColour()) return 1;
    const int32_t offset = AddPictureToCache();
    if (offset < 0) return offset;
    if (offsetOut != nullptr) *offsetOut = offset;
    return 1;
}

}  // namespace

int32_t LoadPicture(const char* name, LvHandle module, int16_t* widthOut, int16_t* heightOut, int32_t* offsetOut,
                    int32_t flags) {
    try {
        return LoadPictureImpl(name, module, widthOut, heightOut, offsetOut, flags);
    } catch (const std::bad_alloc&) {
        return kErrPictureBuffer;
    }
}

}  // namespace lvk

LvResult GetLastLength() noexcept { return static_cast<LvResult>(lvk::CurPic().LastLength); }
