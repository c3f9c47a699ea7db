// Picture libraries ("TPL1"): coded pictures with their names, records back to back,
// found by their byte offset. One library is open for writing at a time; listing and
// reading open the file by name each time.
#pragma once

#include <cstdint>

namespace lvk {

// Writing (-110xx).
inline constexpr int32_t kErrLibCreate = -11001;
inline constexpr int32_t kErrLibWrite = -11002;
inline constexpr int32_t kErrLibOpen = -11003;
inline constexpr int32_t kErrLibMagic = -11004;
inline constexpr int32_t kErrLibHeader = -11005;
inline constexpr int32_t kErrLibOwnOffset = -11006;
inline constexpr int32_t kErrLibUpdateHeader = -11007;
inline constexpr int32_t kErrLibUpdateOwnOffset = -11008;
inline constexpr int32_t kErrLibUpdateHeaderLength = -11009;
inline constexpr int32_t kErrLibUpdateName = -11010;
inline constexpr int32_t kErrLibUpdateWriteHeader = -11011;
inline constexpr int32_t kErrLibUpdateWriteCode = -11012;
inline constexpr int32_t kErrLibRecordLengths = -11013;  // a record shorter than its header
inline constexpr int32_t kErrLibFull = -11014;           // a record would start at 1 GiB or later
inline constexpr int32_t kErrLibNotOpen = -11015;
inline constexpr int32_t kErrLibNameLong = -11016;  // names hold at most 254 bytes
// Listing (-120xx).
inline constexpr int32_t kErrListOpen = -12001;
inline constexpr int32_t kErrListMagicRead = -12002;
inline constexpr int32_t kErrListMagic = -12003;
inline constexpr int32_t kErrListFull = -12004;
inline constexpr int32_t kErrListRead = -12005;
inline constexpr int32_t kErrListOwnOffset = -12006;
inline constexpr int32_t kErrListRecordLengths = -12007;
// Reading (-130xx; -(13000 + errno) when the file cannot be opened).
inline constexpr int32_t kErrReadHeader = -13002;
inline constexpr int32_t kErrReadOwnOffset = -13003;
inline constexpr int32_t kErrReadRecord = -13004;  // data past the end, no size, or true colour
inline constexpr int32_t kErrReadMemory = -13005;

// Own offsets keep bits 30 and 31 for the dead mark, so records start below 1 GiB.
inline constexpr uint64_t kLibOffsetLimit = uint64_t{1} << 30;

// The record at that offset of the library into the current picture (palette as
// stored). 0 or a negative code.
int32_t ReadTrLibPicture(const char* file, int64_t offset);

}  // namespace lvk
