#include "engine/pictures/current_picture.h"

#include <cstring>

#include "engine/base/memory.h"

namespace lvk {

namespace {

CurrentPicture gPicture;

// Replaces a buffer that is too small; the contents are not kept. A failure leaves the
// size at 0.
template <class T>
bool Grow(T*& buffer, size_t& size, size_t want, size_t allocate, int32_t allocTag, int32_t releaseTag) {
    if (buffer != nullptr && size >= want) return true;
    MemFree(buffer, releaseTag);
    buffer = nullptr;
    size = 0;
    if (allocate > SIZE_MAX / sizeof(T)) return false;
    buffer = static_cast<T*>(MemAlloc(allocate * sizeof(T), allocTag));
    if (buffer == nullptr) return false;
    size = allocate;
    return true;
}

}  // namespace

CurrentPicture& CurPic() { return gPicture; }

void CurrentPicture::SetName(const char* name, size_t length) {
    if (length > 255) length = 255;
    Header.NameLength = static_cast<uint8_t>(length);
    if (length > 0) std::memcpy(Header.Name, name, length);
}

int32_t GrowPictureBuffer() {
    CurrentPicture& p = gPicture;
    // Width and height are 16-bit, so the product stays far inside size_t.
    size_t need = p.RowStride() * p.Header.Height;
    return Grow(p.PictureBuffer, p.PictureBufferSize, need, need, 34033, 35044) ? 0 : kErrPictureBuffer;
}

int32_t GrowCodeBuffer(size_t n) {
    CurrentPicture& p = gPicture;
    if (n > SIZE_MAX - 1000) return kErrCodeBuffer;
    return Grow(p.CodeBuffer, p.CodeBufferSize, n, n + 1000, 34034, 35045) ? 0 : kErrCodeBuffer;
}

int32_t GrowRunTable() {
    CurrentPicture& p = gPicture;
    size_t entries = 2 * static_cast<size_t>(p.Header.Width) + 100;
    if (p.RunTable != nullptr && p.RunTableEntries >= entries) return 0;
    // One block: the run table, then the codec's length-to-index map of the same size.
    size_t have = 0;
    if (!Grow(p.RunTable, have, entries * 2, entries * 2, 34037, 35048)) {
        p.RunTableEntries = 0;
        return kErrRunTable;
    }
    p.RunTableEntries = entries;
    return 0;
}

void FreePictureBuffers() {
    CurrentPicture& p = gPicture;
    MemFree(p.PictureBuffer, 35059);
    p.PictureBuffer = nullptr;
    p.PictureBufferSize = 0;
    p.Header.Width = 0;
    p.Header.Height = 0;
    MemFree(p.CodeBuffer, 35060);
    p.CodeBuffer = nullptr;
    p.CodeBufferSize = 0;
    MemFree(p.RunTable, 35061);
    p.RunTable = nullptr;
    p.RunTableEntries = 0;
    MemFree(p.MaskBuffer, 35062);
    p.MaskBuffer = nullptr;
    p.MaskBufferSize = 0;
    p.HeldEntry = 0;
}

}  // namespace lvk
