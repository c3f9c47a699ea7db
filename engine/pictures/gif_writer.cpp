// GIF89a writing with the engine's own LZW encoder.
#include <algorithm>
#include <cstring>
#include <new>

#include "engine/pictures/current_picture.h"
#include "engine/base/memory.h"
#include "engine/pictures/writers.h"
#include "lumvatek/exports.h"

namespace lvk {

namespace {

constexpr uint32_t kEmptySlot = 0xFFFFFFFFu;
constexpr uint32_t kHashSlots = 8192;
constexpr uint32_t kNoPrefix = 4097;
// The highest code the table may hand out is 4094; reaching 4095 restarts the table, which
// keeps every code inside the 12 bits a reader allows.
constexpr uint32_t kCodeLimit = 4095;

class LzwEncoder {
public:
    LzwEncoder(std::vector<uint8_t>& out, uint32_t* hash, int minCodeSize)
        : out_(out), hash_(hash), minSize_(minCodeSize), clear_(1u << minCodeSize), end_(clear_ + 1) {}

    void Start() {
        out_.push_back(static_cast<uint8_t>(minSize_));
        Reset();
        Emit(clear_);
    }

    void Pixels(const uint8_t* p, int n) {
        int i = 0;
        if (prefix_ == kNoPrefix && n > 0) prefix_ = p[i++];
        for (; i < n; ++i) {
            const uint32_t pixel = p[i];
            const uint32_t key = (prefix_ << 8) | pixel;
            uint32_t slot = (key ^ (key >> 12)) & (kHashSlots - 1);
            bool found = false;
            while (hash_[slot] < 0xFFFFF000u) {
                if ((hash_[slot] >> 12) == key) {
                    prefix_ = hash_[slot] & 0xFFF;
                    found = true;
                    break;
                }
                slot = (slot + 1) & (kHashSlots - 1);
            }
            if (found) continue;
            Emit(prefix_);
            prefix_ = pixel;
            if (next_ < kCodeLimit) {
                hash_[slot] = (key << 12) | next_;
                ++next_;
            } else {
                Emit(clear_);
                Reset();
            }
        }
    }

    void Finish() {
        // An empty picture has no prefix to send; the stream is clear code and end code.
        if (prefix_ != kNoPrefix) Emit(prefix_);
        Emit(end_);
        if (bitCount_ > 0) PutByte(static_cast<uint8_t>(bits_));
        if (blockLength_ > 0) FlushBlock();
        out_.push_back(0);
    }

private:
    void Reset() {
        next_ = clear_ + 2;
        width_ = minSize_ + 1;
        limit_ = 1u << width_;
        std::fill(hash_, hash_ + kHashSlots, kEmptySlot);
    }

    void Emit(uint32_t code) {
        bits_ |= code << bitCount_;
        bitCount_ += width_;
        while (bitCount_ >= 8) {
            PutByte(static_cast<uint8_t>(bits_));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
        if (next_ >= limit_ && width_ < 12) {
            ++width_;
            limit_ <<= 1;
        }
    }

    void PutByte(uint8_t b) {
        block_[blockLength_++] = b;
        if (blockLength_ == 255) FlushBlock();
    }

    void FlushBlock() {
        out_.push_back(static_cast<uint8_t>(blockLength_));
        out_.insert(out_.end(), block_, block_ + blockLength_);
        blockLength_ = 0;
    }

    std::vector<uint8_t>& out_;
    uint32_t* hash_;
    const int minSize_;
    const uint32_t clear_;
    const uint32_t end_;
    uint32_t next_ = 0;
    int width_ = 0;
    uint32_t limit_ = 0;
    uint32_t prefix_ = kNoPrefix;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    uint8_t block_[255] = {};
    int blockLength_ = 0;
};

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

int32_t EncodeGif(const CurrentPicture& p, std::vector<uint8_t>& out) {
    out.clear();
    if (p.TrueColour() || p.Palette.Count > 256) return kErrGifColours;
    const int width = p.Header.Width;
    const int height = p.Header.Height;
    const bool hasPixels = width > 0 && height > 0;
    if (hasPixels && p.PictureBuffer == nullptr) return kErrPictureBuffer;

    // A pixel past the palette (a decoder may leave some) still needs a table entry, or
    // its code would collide with the clear code; such entries are written black.
    int colours = p.Palette.Count;
    for (int y = 0; hasPixels && y < height; ++y) {
        const uint8_t* row = p.Row(y);
        colours = std::max<int>(colours, *std::max_element(row, row + width) + 1);
    }
    int e = 0;
    while ((2 << e) < colours) ++e;
    const int tableSize = 2 << e;

    auto* hash = static_cast<uint32_t*>(MemAlloc(kHashSlots * sizeof(uint32_t), 34020));
    if (hash == nullptr) return kErrGifMemory;
    try {
        // Header, table and extensions, then roughly a byte per pixel at worst.
        out.reserve(800 + static_cast<size_t>(width) * height * 3 / 2);

        static const uint8_t kSignature[6] = {'G', 'I', 'F', '8', '9', 'a'};
        out.insert(out.end(), kSignature, kSignature + 6);
        Put16(out, static_cast<uint16_t>(width));
        Put16(out, static_cast<uint16_t>(height));
        out.push_back(static_cast<uint8_t>(0xF0 | e));
        out.push_back(0);  // background index
        out.push_back(0);  // aspect
        for (int i = 0; i < tableSize; ++i) {
            PaletteEntry c{};
            if (i < p.Palette.Count) c = p.Palette.Entries[i];
            // The reader turns the marker colour back into black with flag 0x02.
            if (i == 0 && (p.Header.Flags & kPicMarkerZero)) c = PaletteEntry{123, 0, 123, 0};
            out.push_back(c.Red);
            out.push_back(c.Green);
            out.push_back(c.Blue);
        }

        if (p.Header.Flags & kPicTransparent) {
            const uint8_t gce[8] = {0x21, 0xF9, 4, 1, 0, 0, p.Header.TransparentIndex, 0};
            out.insert(out.end(), gce, gce + 8);
        }

        out.push_back(0x2C);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, static_cast<uint16_t>(width));
        Put16(out, static_cast<uint16_t>(height));
        out.push_back(static_cast<uint8_t>(e));

        LzwEncoder lzw(out, hash, std::max(2, e + 1));
        lzw.Start();
        for (int y = 0; hasPixels && y < height; ++y) lzw.Pixels(p.Row(y), width);
        lzw.Finish();
        out.push_back(0x3B);
    } catch (const std::bad_alloc&) {
        MemFree(hash, 35027);
        out.clear();
        return kErrGifMemory;
    }
    MemFree(hash, 35027);
    return 0;
}

}  // namespace lvk

LV_EXPORT LvResult SaveGif(const char* file, const char*, const char*) noexcept {
    lvk::CurrentPicture& p = lvk::CurPic();
    std::vector<uint8_t> bytes;
    try {
        if (int32_t r = lvk::EncodeGif(p, bytes); r != 0) return r;
        std::string error;
        if (lvk::WriteWholeFile(file, bytes.data(), bytes.size(), error) != 0) return lvk::kErrWriteFile;
    } catch (const std::bad_alloc&) {
        return lvk::kErrGifMemory;
    }
    p.LastLength = static_cast<uint32_t>(bytes.size());
    return 0;
}
