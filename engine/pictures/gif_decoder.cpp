// GIF 87a and 89a: every image of the file drawn into a work buffer of the logical
// screen's size, with the palette of the last image, the transparent index of its
// graphic control extension, and the marker colour 123, 0, 123 of entry 0 turned black.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/pictures/current_picture.h"
#include "engine/pictures/picture_decoders.h"

namespace lvk {

namespace {

constexpr int kMaxCodes = 4096;

// The reader's tables, kept for the next read.
struct GifTables {
    PaletteEntry global[256];
    uint16_t prefix[kMaxCodes];
    uint8_t suffix[kMaxCodes];
    uint8_t first[kMaxCodes];
    uint16_t length[kMaxCodes];
    uint8_t stack[kMaxCodes];
    std::vector<uint8_t> codes;      // the image's sub-blocks joined, with 8 zero bytes after
    std::vector<uint8_t> line;       // one image row
    std::vector<uint16_t> rowOrder;  // image row of the n-th row of data
};

GifTables& Tables() {
    static GifTables* t = new GifTables();
    return *t;
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : d_(data), n_(size) {}
    bool Byte(uint8_t& v) {
        if (pos_ >= n_) return false;
        v = d_[pos_++];
        return true;
    }
    const uint8_t* Take(size_t count) {
        if (count > n_ - pos_) return nullptr;
        const uint8_t* p = d_ + pos_;
        pos_ += count;
        return p;
    }

private:
    const uint8_t* d_;
    size_t n_;
    size_t pos_ = 0;
};

int32_t ReadColourTable(Reader& in, int entries, PaletteEntry* out) {
    const uint8_t* t = in.Take(3 * static_cast<size_t>(entries));
    if (t == nullptr) return kErrGifColourTable;
    for (int i = 0; i < entries; ++i) out[i] = PaletteEntry{t[3 * i], t[3 * i + 1], t[3 * i + 2], 0};
    for (int i = entries; i < 256; ++i) out[i] = PaletteEntry{};
    CurPic().LastLength += 3 * entries;
    return 0;
}

// Skips data sub-blocks up to the zero-length one.
int32_t SkipSubBlocks(Reader& in) {
    for (;;) {
        uint8_t len;
        if (!in.Byte(len)) return kErrGifSubBlockLength;
        CurPic().LastLength += 1u + len;
        if (len == 0) return 0;
        if (in.Take(len) == nullptr) return kErrGifSubBlockData;
    }
}

// Joins the image's sub-blocks into t.codes.
int32_t GatherSubBlocks(Reader& in, GifTables& t) {
    t.codes.clear();
    for (;;) {
        uint8_t len;
        if (!in.Byte(len)) return kErrGifSubBlockLength;
        CurPic().LastLength += 1u + len;
        if (len == 0) break;
        const uint8_t* block = in.Take(len);
        if (block == nullptr) return kErrGifSubBlockData;
        t.codes.insert(t.codes.end(), block, block + len);
    }
    t.codes.insert(t.codes.end(), 8, 0);
    return 0;
}

struct Frame {
    int left, top, width, height;
    bool interlaced;
    int paletteCount;
};

// Writes the LZW-coded rows of one image; pixels outside the picture are dropped.
class FrameWriter {
public:
    FrameWriter(GifTables& t, const Frame& f) : t_(t), f_(f) {
        CurrentPicture& p = CurPic();
        const int screenW = p.Header.Width;
        screenH_ = p.Header.Height;
        visible_ = f.left < screenW ? std::min(f.width, screenW - f.left) : 0;
        total_ = static_cast<uint64_t>(f.width) * static_cast<uint64_t>(f.height);
        t.line.resize(static_cast<size_t>(f.width));
        t.rowOrder.resize(static_cast<size_t>(f.height));
        size_t n = 0;
        if (f.interlaced) {
            static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = kStart[pass]; y < f.height; y += kStep[pass]) t.rowOrder[n++] = static_cast<uint16_t>(y);
        } else {
            for (int y = 0; y < f.height; ++y) t.rowOrder[n++] = static_cast<uint16_t>(y);
        }
    }
    bool Done() const { return written_ == total_; }

    // Appends the string of code; chains are walked from their last byte.
    void Put(int code) {
        int len = t_.length[code];
        const uint64_t left = total_ - written_;
        if (static_cast<uint64_t>(len) > left) {
            // Only the string's start is wanted: skip its tail.
            for (uint64_t skip = len - left; skip > 0; --skip) code = t_.prefix[code];
            len = static_cast<int>(left);
        }
        written_ += static_cast<uint64_t>(len);
        if (col_ + len <= f_.width) {
            uint8_t* out = t_.line.data() + col_ + len;
            for (int k = 0; k < len; ++k) {
                *--out = t_.suffix[code];
                code = t_.prefix[code];
            }
            col_ += len;
            if (col_ == f_.width) FlushLine();
            return;
        }
        for (int k = len - 1; k >= 0; --k) {
            t_.stack[k] = t_.suffix[code];
            code = t_.prefix[code];
        }
        for (int i = 0; i < len;) {
            const int n = std::min(len - i, f_.width - col_);
            std::memcpy(t_.line.data() + col_, t_.stack + i, static_cast<size_t>(n));
            col_ += n;
            i += n;
            if (col_ == f_.width) FlushLine();
        }
    }

private:
    void FlushLine() {
        const int y = f_.top + t_.rowOrder[row_++];
        col_ = 0;
        if (y < screenH_ && visible_ > 0)
            std::memcpy(CurPic().Row(y) + f_.left, t_.line.data(), static_cast<size_t>(visible_));
    }

    GifTables& t_;
    const Frame& f_;
    int screenH_ = 0;
    int visible_ = 0;
    uint64_t total_ = 0;
    uint64_t written_ = 0;
    int col_ = 0;
    int row_ = 0;
};

// LZW of the GIF standard over the joined sub-blocks. Decoding starts as after a clear
// code, so the first code must be a literal (or a clear or end code).
int32_t DecodeImage(GifTables& t, const Frame& f, int minimum) {
    const int clear = 1 << minimum;
    const int end = clear + 1;
    for (int c = 0; c < clear; ++c) {
        t.prefix[c] = 0;
        t.suffix[c] = static_cast<uint8_t>(c);
        t.first[c] = static_cast<uint8_t>(c);
        t.length[c] = 1;
    }
    FrameWriter out(t, f);
    const uint8_t* data = t.codes.data();
    const uint64_t bits = static_cast<uint64_t>(t.codes.size() - 8) * 8;
    uint64_t bitPos = 0;
    int codeSize = minimum + 1;
    int next = clear + 2;
    int prev = -1;
    for (;;) {
        if (bitPos + static_cast<uint64_t>(codeSize) > bits) return out.Done() ? 0 : kErrGifDataEnded;
        int code = static_cast<int>((Le32(data + (bitPos >> 3)) >> (bitPos & 7)) & ((1u << codeSize) - 1));
        bitPos += static_cast<uint64_t>(codeSize);
        if (code == clear) {
            codeSize = minimum + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (code == end) return out.Done() ? 0 : kGifEndedEarly;
        // Codes after the last pixel are only read up to the end code; a broken one
        // there ends the image as the end code would.
        const bool valid = code < clear || (prev >= 0 && code <= next && code != clear + 1 && code >= clear + 2);
        if (!valid) return out.Done() ? 0 : kErrGifBadCode;
        if (out.Done()) {
            if (prev >= 0 && next < kMaxCodes) {
                ++next;
                if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
            }
            prev = code;
            continue;
        }
        if (code < clear && code >= f.paletteCount) return kErrGifPixel;
        int firstByte;
        if (code < next) {
            out.Put(code);
            firstByte = t.first[code];
        } else {
            // The code being defined: the previous string and its own first byte.
            firstByte = t.first[prev];
            t.prefix[code] = static_cast<uint16_t>(prev);
            t.suffix[code] = static_cast<uint8_t>(firstByte);
            t.first[code] = static_cast<uint8_t>(firstByte);
            t.length[code] = static_cast<uint16_t>(t.length[prev] + 1);
            out.Put(code);
        }
        if (prev >= 0 && next < kMaxCodes) {
            t.prefix[next] = static_cast<uint16_t>(prev);
            t.suffix[next] = static_cast<uint8_t>(firstByte);
            t.first[next] = t.first[prev];
            t.length[next] = static_cast<uint16_t>(t.length[prev] + 1);
            ++next;
            if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
        }
        prev = code;
    }
}

int32_t ReadImage(Reader& in, GifTables& t, bool hasGlobal, int globalCount, int& pendingTransparent) {
    CurrentPicture& p = CurPic();
    const uint8_t* desc = in.Take(9);
    if (desc == nullptr) return kErrGifDescriptor;
    Frame f{Le16(desc), Le16(desc + 2), Le16(desc + 4), Le16(desc + 6), (desc[8] & 0x40) != 0, 0};
    if (desc[8] & 0x80) {
        f.paletteCount = 2 << (desc[8] & 7);
        if (int32_t r = ReadColourTable(in, f.paletteCount, p.Palette.Entries); r != 0) return r;
    } else {
        if (!hasGlobal) return kErrGifNoColourTable;
        f.paletteCount = globalCount;
        std::memcpy(p.Palette.Entries, t.global, sizeof t.global);
    }
    p.Palette.Count = static_cast<uint16_t>(f.paletteCount);
    uint8_t minimum;
    if (!in.Byte(minimum)) return kErrGifCodeSize;
    p.LastLength += 1;
    if (minimum > 11) return kErrGifCodeSizeLarge;
    if (int32_t r = GatherSubBlocks(in, t); r != 0) return r;
    if (int32_t r = DecodeImage(t, f, minimum); r != 0) return r;
    if (pendingTransparent >= 0) {
        p.Header.TransparentIndex = static_cast<uint8_t>(pendingTransparent);
        p.Header.Flags |= kPicTransparent;
        pendingTransparent = -1;
    }
    return 0;
}

int32_t ReadExtension(Reader& in, int& pendingTransparent) {
    uint8_t label;
    if (!in.Byte(label)) return kErrGifLabel;
    if (label == 0xF9) {
        uint8_t len;
        if (!in.Byte(len)) return kErrGifSubBlockLength;
        if (len < 4) return kErrGifControl;
        const uint8_t* block = in.Take(len);
        if (block == nullptr) return kErrGifSubBlockData;
        CurPic().LastLength += 1u + len;
        if (block[0] & 1) pendingTransparent = block[3];
    }
    // Extensions the reader does not know are skipped like the ones it ignores.
    return SkipSubBlocks(in);
}

int32_t ReadGif(const uint8_t* data, size_t size, int maxImages) {
    CurrentPicture& p = CurPic();
    GifTables& t = Tables();
    p.HeldEntry = 0;
    p.LastLength = 0;
    Reader in(data, size);
    const uint8_t* head = in.Take(6);
    if (head == nullptr) return kErrGifHeader;
    if (std::memcmp(head, "GIF", 3) != 0) return kErrGifSignature;
    if (std::memcmp(head + 3, "87a", 3) != 0 && std::memcmp(head + 3, "89a", 3) != 0) return kErrGifVersion;
    const uint8_t* screen = in.Take(7);
    if (screen == nullptr) return kErrGifScreen;

    p.Header.Width = Le16(screen);
    p.Header.Height = Le16(screen + 2);
    p.Header.Flags = 0;
    p.Header.TransparentIndex = 0;
    p.LastLength = 13;
    for (auto& e : p.Palette.Entries) e = PaletteEntry{};
    p.Palette.Count = 0;
    if (p.Header.Width > 0 && p.Header.Height > 0) {
        if (int32_t r = GrowPictureBuffer(); r != 0) return r;
        std::memset(p.PictureBuffer, 0, p.RowStride() * p.Header.Height);
    }

    const bool hasGlobal = (screen[4] & 0x80) != 0;
    const int globalCount = hasGlobal ? 2 << (screen[4] & 7) : 0;
    if (hasGlobal) {
        if (int32_t r = ReadColourTable(in, globalCount, t.global); r != 0) return r;
    } else {
        for (auto& e : t.global) e = PaletteEntry{};
    }

    int pendingTransparent = -1;
    int images = 0;
    for (;;) {
        uint8_t introducer;
        if (!in.Byte(introducer)) return kErrGifIntroducer;
        if (introducer == ';') break;
        int32_t r;
        if (introducer == '!') {
            r = ReadExtension(in, pendingTransparent);
        } else if (introducer == ',') {
            r = ReadImage(in, t, hasGlobal, globalCount, pendingTransparent);
            if (r == 0 && ++images == maxImages) break;
        } else {
            r = kErrGifBlockType;
        }
        if (r != 0) return r;
    }
    PaletteEntry& zero = p.Palette.Entries[0];
    if (zero.Red == 123 && zero.Green == 0 && zero.Blue == 123) {
        zero.Red = zero.Blue = 0;
        p.Header.Flags |= kPicMarkerZero;
    }
    return 0;
}

}  // namespace

int32_t ReadGifFile(const uint8_t* data, size_t size, int maxImages) {
    try {
        return ReadGif(data, size, maxImages);
    } catch (const std::bad_alloc&) {
        return kErrPictureBuffer;
    }
}

int32_t LoadGifPicture(const char* file) {
    static std::vector<uint8_t> block;
    int err = 0;
    try {
        err = ReadWholeFile(file, block);
    } catch (const std::bad_alloc&) {
        return kErrPictureBuffer;
    }
    if (err != 0) return kErrGifOpen;
    return ReadGifFile(block.data(), block.size());
}

}  // namespace lvk
