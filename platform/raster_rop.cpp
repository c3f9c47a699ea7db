#include "platform/raster_rop.h"
#include "platform/raster_objects.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace plat::raster {

namespace {

// Four pixels (or sixteen bytes) at a time; the compilers turn these into SIMD registers.
typedef std::uint32_t V4 __attribute__((vector_size(16)));
typedef std::uint8_t V16 __attribute__((vector_size(16)));

constexpr std::uint32_t kMask32 = 0x00FFFFFFu;

std::atomic<bool> g_fastPaths{true};

template <class Op>
void Combine32(std::uint8_t* d, const std::uint8_t* s, int n, Op op) {
    const V4 mask = {kMask32, kMask32, kMask32, kMask32};
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        V4 d0, d1, s0, s1;
        std::uint8_t* dp = d + static_cast<std::ptrdiff_t>(i) * 4;
        const std::uint8_t* sp = s + static_cast<std::ptrdiff_t>(i) * 4;
        std::memcpy(&d0, dp, 16);
        std::memcpy(&d1, dp + 16, 16);
        std::memcpy(&s0, sp, 16);
        std::memcpy(&s1, sp + 16, 16);
        d0 = op(d0, s0) & mask;
        d1 = op(d1, s1) & mask;
        std::memcpy(dp, &d0, 16);
        std::memcpy(dp + 16, &d1, 16);
    }
    for (; i < n; ++i) {
        std::uint32_t dv, sv;
        std::memcpy(&dv, d + static_cast<std::ptrdiff_t>(i) * 4, 4);
        std::memcpy(&sv, s + static_cast<std::ptrdiff_t>(i) * 4, 4);
        dv = op(dv, sv) & kMask32;
        std::memcpy(d + static_cast<std::ptrdiff_t>(i) * 4, &dv, 4);
    }
}

void Fill32(std::uint8_t* d, int n, std::uint32_t value) {
    value &= kMask32;
    const V4 v = {value, value, value, value};
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        std::memcpy(d + static_cast<std::ptrdiff_t>(i) * 4, &v, 16);
    }
    for (; i < n; ++i) {
        std::memcpy(d + static_cast<std::ptrdiff_t>(i) * 4, &value, 4);
    }
}

template <class Op>
void CombineBytes(std::uint8_t* d, const std::uint8_t* s, std::size_t n, Op op) {
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        V16 dv, sv;
        std::memcpy(&dv, d + i, 16);
        std::memcpy(&sv, s + i, 16);
        dv = op(dv, sv);
        std::memcpy(d + i, &dv, 16);
    }
    for (; i < n; ++i) {
        d[i] = static_cast<std::uint8_t>(op(d[i], s[i]));
    }
}

// Runs the fast operation with the source given as bytes, 16-byte vectors or 4-pixel vectors.
template <class Runner>
void Dispatch(FastOp op, Runner run) {
    switch (op) {
    case FastOp::Copy: run([](auto, auto s) { return s; }); break;
    case FastOp::And: run([](auto d, auto s) { return d & s; }); break;
    case FastOp::Or: run([](auto d, auto s) { return d | s; }); break;
    case FastOp::Xor: run([](auto d, auto s) { return d ^ s; }); break;
    case FastOp::AndNot: run([](auto d, auto s) { return d & ~s; }); break;
    default: break;
    }
}

void PackBytes(const std::uint32_t* values, int n, int bpp, std::uint8_t* out) {
    if (bpp == 8) {
        for (int i = 0; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>(values[i]);
        }
        return;
    }
    for (int i = 0; i < n; ++i, out += 3) {
        out[0] = static_cast<std::uint8_t>(values[i]);
        out[1] = static_cast<std::uint8_t>(values[i] >> 8);
        out[2] = static_cast<std::uint8_t>(values[i] >> 16);
    }
}

// Bits of values, placed so that value i lands on bit (phase + i) of out.
void PackBits(const std::uint32_t* values, int n, int phase, std::uint8_t* out) {
    std::memset(out, 0, static_cast<std::size_t>((phase + n + 7) / 8));
    for (int i = 0; i < n; ++i) {
        if (values[i] & 1u) {
            const int b = phase + i;
            out[b >> 3] |= static_cast<std::uint8_t>(0x80u >> (b & 7));
        }
    }
}

// Source bits sx .. sx + n - 1 of a row, placed as PackBits places them. Bytes of the row outside
// the bits asked for are never read.
void AlignBits(const std::uint8_t* row, int sx, int n, int phase, std::uint8_t* out) {
    const long first = sx >> 3;
    const long last = (static_cast<long>(sx) + n - 1) >> 3;
    auto byteAt = [&](long i) -> unsigned { return (i >= first && i <= last) ? row[i] : 0u; };
    const int count = (phase + n + 7) / 8;
    for (int k = 0; k < count; ++k) {
        const long start = static_cast<long>(sx) - phase + 8L * k;
        const long index = start >> 3;  // floor: start may be negative for the first byte
        const int shift = static_cast<int>(start - index * 8);
        unsigned v = byteAt(index) << shift;
        if (shift != 0) {
            v |= byteAt(index + 1) >> (8 - shift);
        }
        out[k] = static_cast<std::uint8_t>(v);
    }
}

void FastRow32(const Surface& dst, int x, int y, int n, const SourceRow& src, const Pattern& pattern, FastOp op) {
    std::uint8_t* d = dst.Row(y) + static_cast<std::ptrdiff_t>(x) * 4;
    switch (op) {
    case FastOp::Zero: Fill32(d, n, 0); return;
    case FastOp::Ones: Fill32(d, n, kMask32); return;
    case FastOp::PatCopy:
        if (pattern.solid) {
            Fill32(d, n, pattern.value);
        } else {
            const std::uint32_t* p = pattern.Row(x, y, n, ScratchValues(1, static_cast<std::size_t>(n)));
            Combine32(d, reinterpret_cast<const std::uint8_t*>(p), n, [](auto, auto s) { return s; });
        }
        return;
    default: break;
    }
    const std::uint8_t* s = src.memory != nullptr ? src.memory + static_cast<std::ptrdiff_t>(src.memoryX) * 4
                                                  : reinterpret_cast<const std::uint8_t*>(src.values);
    Dispatch(op, [&](auto f) { Combine32(d, s, n, f); });
}

void FastRowBytes(const Surface& dst, int x, int y, int n, const SourceRow& src, const Pattern& pattern, FastOp op) {
    const int bytesPerPixel = dst.bpp / 8;
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(bytesPerPixel);
    std::uint8_t* d = dst.Row(y) + static_cast<std::ptrdiff_t>(x) * bytesPerPixel;
    switch (op) {
    case FastOp::Zero: std::memset(d, 0, count); return;
    case FastOp::Ones: std::memset(d, 0xFF, count); return;
    case FastOp::PatCopy:
        if (pattern.solid && dst.bpp == 8) {
            std::memset(d, static_cast<int>(pattern.value & 0xFFu), count);
        } else {
            const std::uint32_t* p = pattern.Row(x, y, n, ScratchValues(1, static_cast<std::size_t>(n)));
            PackBytes(p, n, dst.bpp, d);
        }
        return;
    default: break;
    }
    const std::uint8_t* s;
    if (src.memory != nullptr) {
        s = src.memory + static_cast<std::ptrdiff_t>(src.memoryX) * bytesPerPixel;
    } else {
        std::uint8_t* packed = ScratchBytes(0, count);
        PackBytes(src.values, n, dst.bpp, packed);
        s = packed;
    }
    Dispatch(op, [&](auto f) { CombineBytes(d, s, count, f); });
}

void FastRowBits(const Surface& dst, int x, int y, int n, const SourceRow& src, const Pattern& pattern, FastOp op) {
    const int phase = x & 7;
    const int count = (phase + n + 7) / 8;
    std::uint8_t* s = ScratchBytes(0, static_cast<std::size_t>(count));
    switch (op) {
    case FastOp::Zero:
        std::memset(s, 0, static_cast<std::size_t>(count));
        op = FastOp::Copy;
        break;
    case FastOp::Ones:
        std::memset(s, 0xFF, static_cast<std::size_t>(count));
        op = FastOp::Copy;
        break;
    case FastOp::PatCopy:
        PackBits(pattern.Row(x, y, n, ScratchValues(1, static_cast<std::size_t>(n))), n, phase, s);
        op = FastOp::Copy;
        break;
    default:
        if (src.memory != nullptr) {
            AlignBits(src.memory, src.memoryX, n, phase, s);
        } else {
            PackBits(src.values, n, phase, s);
        }
        break;
    }
    std::uint8_t* d = dst.Row(y) + (x >> 3);
    const unsigned lastBit = static_cast<unsigned>((phase + n - 1) & 7);
    Dispatch(op, [&](auto f) {
        for (int k = 0; k < count; ++k) {
            unsigned m = 0xFFu;
            if (k == 0) {
                m &= 0xFFu >> phase;
            }
            if (k == count - 1) {
                m &= (0xFF00u >> (lastBit + 1)) & 0xFFu;
            }
            const unsigned dv = d[k];
            const unsigned r = static_cast<unsigned>(f(dv, static_cast<unsigned>(s[k])));
            d[k] = static_cast<std::uint8_t>((dv & ~m) | (r & m));
        }
    });
}

void GeneralRow(const Surface& dst, int x, int y, int n, const SourceRow& src, const Pattern& pattern,
                const RopPlan& plan) {
    std::uint32_t* out = ScratchValues(2, static_cast<std::size_t>(n));
    if (plan.useD) {
        LoadRow(dst, x, y, n, out);
    }
    const std::uint32_t* p = plan.useP ? pattern.Row(x, y, n, ScratchValues(1, static_cast<std::size_t>(n))) : nullptr;
    const std::uint32_t* s = plan.useS ? src.values : nullptr;
    const std::uint32_t mask = ValueMask(dst.bpp);
    for (int i = 0; i < n; ++i) {
        const std::uint32_t d = plan.useD ? out[i] : 0u;
        out[i] = Rop3(plan.code, p != nullptr ? p[i] : 0u, s != nullptr ? s[i] : 0u, d) & mask;
    }
    StoreRow(dst, x, y, n, out);
}

// First and one-past-last byte of a rectangle's rows.
void ByteRange(const Surface& s, int x, int y, int w, int h, const std::uint8_t*& lo, const std::uint8_t*& hi) {
    const std::uint8_t* a = s.Row(y);
    const std::uint8_t* b = s.Row(y + h - 1);
    const std::uint8_t* first = std::min(a, b);
    const std::uint8_t* last = std::max(a, b);
    lo = first + (static_cast<std::ptrdiff_t>(x) * s.bpp) / 8;
    hi = last + (static_cast<std::ptrdiff_t>(x + w) * s.bpp + 7) / 8;
}

}  // namespace

std::uint32_t Rop3(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    std::uint32_t r = 0;
    for (int m = 0; m < 8; ++m) {
        if ((code >> m) & 1u) {
            r |= ((m & 4) ? p : ~p) & ((m & 2) ? s : ~s) & ((m & 1) ? d : ~d);
        }
    }
    return r;
}

void SetFastPathsEnabled(bool enabled) { g_fastPaths.store(enabled, std::memory_order_relaxed); }

bool FastPathsEnabled() { return g_fastPaths.load(std::memory_order_relaxed); }

RopPlan PlanRop(std::uint32_t rop) {
    RopPlan plan;
    plan.code = RopCode(rop);
    plan.useS = CodeUsesSource(plan.code);
    plan.useP = CodeUsesPattern(plan.code);
    plan.useD = CodeUsesDest(plan.code);
    if (!FastPathsEnabled()) {
        return plan;
    }
    switch (plan.code) {
    case 0xCC: plan.op = FastOp::Copy; break;
    case 0x88: plan.op = FastOp::And; break;
    case 0xEE: plan.op = FastOp::Or; break;
    case 0x66: plan.op = FastOp::Xor; break;
    case 0x22: plan.op = FastOp::AndNot; break;
    case 0xF0: plan.op = FastOp::PatCopy; break;
    case 0x00: plan.op = FastOp::Zero; break;
    case 0xFF: plan.op = FastOp::Ones; break;
    default: break;
    }
    return plan;
}

void ApplyRow(const Surface& dst, int x, int y, int n, const SourceRow& src, const Pattern& pattern,
              const RopPlan& plan) {
    if (n <= 0) {
        return;
    }
    if (plan.op == FastOp::General) {
        GeneralRow(dst, x, y, n, src, pattern, plan);
        return;
    }
    switch (dst.bpp) {
    case 32: FastRow32(dst, x, y, n, src, pattern, plan.op); break;
    case 1: FastRowBits(dst, x, y, n, src, pattern, plan.op); break;
    default: FastRowBytes(dst, x, y, n, src, pattern, plan.op); break;
    }
}

bool MemoryOverlaps(const Surface& a, int ax, int ay, int aw, int ah, const Surface& b, int bx, int by, int bw,
                    int bh) {
    const std::uint8_t *alo, *ahi, *blo, *bhi;
    ByteRange(a, ax, ay, aw, ah, alo, ahi);
    ByteRange(b, bx, by, bw, bh, blo, bhi);
    if (ahi <= blo || bhi <= alo) {
        return false;
    }
    if (a.top == b.top && a.stride == b.stride && a.bpp == b.bpp) {
        return ax < bx + bw && bx < ax + aw && ay < by + bh && by < ay + ah;
    }
    return true;
}

static bool BlitSurfacesUnguarded(const Surface& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy,
                                  const RopPlan& plan, const Pattern& pattern, const ConvertRules& rules) {
    if (plan.useS && src == nullptr) {
        return false;
    }
    if (w <= 0 || h <= 0 || (plan.useP && pattern.none)) {
        return true;
    }
    // Left and top edges of both bitmaps first, then right and bottom, in 64 bits so that no
    // coordinate sum can overflow.
    long long X = x, Y = y, W = w, H = h, SX = sx, SY = sy;
    if (X < 0) {
        SX -= X;
        W += X;
        X = 0;
    }
    if (Y < 0) {
        SY -= Y;
        H += Y;
        Y = 0;
    }
    if (plan.useS) {
        if (SX < 0) {
            X -= SX;
            W += SX;
            SX = 0;
        }
        if (SY < 0) {
            Y -= SY;
            H += SY;
            SY = 0;
        }
        W = std::min(W, src->width - SX);
        H = std::min(H, src->height - SY);
    }
    W = std::min(W, dst.width - X);
    H = std::min(H, dst.height - Y);
    if (W <= 0 || H <= 0) {
        return true;
    }
    x = static_cast<int>(X);
    y = static_cast<int>(Y);
    w = static_cast<int>(W);
    h = static_cast<int>(H);
    sx = static_cast<int>(SX);
    sy = static_cast<int>(SY);

    if (!plan.useS) {
        for (int row = 0; row < h; ++row) {
            ApplyRow(dst, x, y + row, w, SourceRow{}, pattern, plan);
        }
        return true;
    }

    OwnedSurface copy;
    const Surface* s = src;
    // A copy of a bitmap onto itself at the same place reads each pixel of a row before it
    // writes it, so it needs no copy of its source: under DirectDraw the scene's layers are
    // copied onto themselves, a whole screen at a time.
    const bool samePlace =
        src->top == dst.top && src->stride == dst.stride && src->bpp == dst.bpp && sx == x && sy == y;
    if (!samePlace && MemoryOverlaps(dst, x, y, w, h, *src, sx, sy, w, h)) {
        CopyRect(*src, sx, sy, w, h, copy);
        s = &copy.surface;
        sx = 0;
        sy = 0;
    }
    const RowConverter converter(*s, dst, rules);
    const bool direct = plan.op != FastOp::General && converter.Identity();
    std::uint32_t* values = direct ? nullptr : ScratchValues(0, static_cast<std::size_t>(w));
    for (int row = 0; row < h; ++row) {
        SourceRow sr;
        if (direct) {
            sr.memory = s->Row(sy + row);
            sr.memoryX = sx;
        } else {
            converter.Convert(sx, sy + row, w, values);
            sr.values = values;
        }
        ApplyRow(dst, x, y + row, w, sr, pattern, plan);
    }
    return true;
}

bool BlitSurfaces(const Surface& dst, int x, int y, int w, int h, const Surface* src, int sx, int sy,
                  const RopPlan& plan, const Pattern& pattern, const ConvertRules& rules) {
    try {
        return BlitSurfacesUnguarded(dst, x, y, w, h, src, sx, sy, plan, pattern, rules);
    } catch (const std::bad_alloc&) {
        SetError(RASTER_ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

}  // namespace plat::raster
