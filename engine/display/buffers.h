// Off-screen buffers: the small pictures with a 1-bit mask that the program draws each
// moving object into, carved as horizontal slices from wide strips (a picture bitmap and a
// bottom-up 1-bit mask DIB of the same size) kept in at most ten height classes, so that
// device contexts and bitmaps are made per strip and rarely.
//
// Main thread only. A buffer is a 32-bit id with a generation: a freed or stale id is
// recognised and ignored.
#pragma once

#include <cstdint>

namespace lvk {

inline constexpr int kMaxBufferClasses = 10;
inline constexpr int kMaxBufferStrips = 256;

// InitBuffer's answer to classes it cannot make (no heights, heights not ascending or not
// positive, a negative count, more than ten), and ShutdownBuffer's to classes that are not
// the buffers' own.
inline constexpr int32_t kErrBufferClasses = -10040;
// Why AllocBuffer gave no buffer (GetBufferError); InitBuffer's answer when it could not
// make the strips asked for. Nothing ends the process: the caller is told and goes on.
inline constexpr int32_t kErrBufferStrips = -10041;   // all 256 strips are in use
inline constexpr int32_t kErrBufferRecords = -10042;  // no memory for buffer records
inline constexpr int32_t kErrBufferSize = -10043;     // no class holds the height, or a size below 1
inline constexpr int32_t kErrBufferRaster = -10044;   // the raster could not make a strip (shown as a message)

// Makes one more strip for class c; false when it cannot be made (the raster's failure is
// reported as a message for the user), or for a class that does not exist.
bool AddCache(int c);

// For tests and diagnostics.
struct BufferStats {
    int classes = 0;
    int strips = 0;        // strips in use
    int records = 0;       // buffer records on strips (free and used)
    int recordBlocks = 0;  // blocks of 256 records allocated
};
BufferStats GetBufferStats();
// The strips of class c, newest first: their widths, the number written (at most max).
int StripWidths(int c, int32_t* widths, int max);
// The slices of the strip that holds the buffer, left to right: x, width and 1 (used) or
// 0 (free) per slice; the number written (at most max).
int StripSlices(uint32_t buffer, int32_t (*slices)[3], int max);

}  // namespace lvk
