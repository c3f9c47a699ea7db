// Results of the stock file readers and writers, text (-112xx) and binary (-118xx), with
// the allocation tags of their buffers. Codes past the documented ones name refusals the
// readers make where the old ones read outside their buffers or took a damaged file.
#pragma once

#include <cstdint>

namespace lvk {

// Buffers (-100xx).
inline constexpr int32_t kErrStkOutBuffer = -10010;  // output buffer of a writer
inline constexpr int32_t kErrStkWorkBlock = -10011;  // text reader's window (or a load runs)
inline constexpr int32_t kErrStkLineBuffer = -10012;
inline constexpr int32_t kErrStkAuthTable = -10015;  // sorted author table
inline constexpr int32_t kErrBinWindow = -10025;
inline constexpr int32_t kErrBinZOutBuffer = -10026;  // compressed output of the binary writer
inline constexpr int32_t kErrBinZWindow = -10027;

// Text reader (-112xx).
inline constexpr int32_t kErrStkOpen = -11201;
inline constexpr int32_t kErrStkRead = -11202;
inline constexpr int32_t kErrStkNameLong = -11208;     // entry name of 1,024 characters or more
inline constexpr int32_t kErrStkNameControl = -11209;  // tab, line end or other control in a name
inline constexpr int32_t kErrStkAuthorLong = -11210;   // author code over four characters
inline constexpr int32_t kErrStkAuthorEnd = -11211;    // author code not followed by ";"
inline constexpr int32_t kErrStkAuthorUnknown = -11212;
inline constexpr int32_t kErrStkKindLong = -11213;
inline constexpr int32_t kErrStkKindUnknown = -11214;
inline constexpr int32_t kErrStkKindEnd = -11215;
inline constexpr int32_t kErrStkFileEnd = -11216;   // file name not followed by ";"
inline constexpr int32_t kErrStkLineEnd = -11217;   // entry line goes on after its last field
inline constexpr int32_t kErrStkDescName = -11218;  // "$DESC" name not in the stock index
inline constexpr int32_t kErrStkDescSyntax = -11219;
inline constexpr int32_t kErrStkPercentLine = -11220;  // "%" line after a text line or outside
inline constexpr int32_t kErrStkTextLine = -11221;     // text line outside a description
inline constexpr int32_t kErrStkEscape = -11222;       // 0x87 not followed by four hex digits
inline constexpr int32_t kErrStkLineLong = -11223;     // a line longer than the read window
inline constexpr int32_t kErrStkTextLong = -11224;     // "$" line or description over 16,385 units
inline constexpr int32_t kErrStkFieldLong = -11225;    // file name, text 2 or 3 of 1,024 or more
inline constexpr int32_t kErrStkCodeField = -11226;    // entry line ends inside its code field
inline constexpr int32_t kErrStkStreamCut = -11227;    // in-memory record stream ends in a record
inline constexpr int32_t kErrStkNameTooLong = -12425;  // "$DESC" name over 128 characters

// Writers (-120xx; -12001 to -12007 are shared with the picture-library listing).
inline constexpr int32_t kErrStkCreate = -12001;
inline constexpr int32_t kErrStkWrite = -12008;      // writing, flushing or renaming failed
inline constexpr int32_t kErrStkEntryFile = -12009;  // an entry's file has no kind letters or name
inline constexpr int32_t kErrStkFormat = -12010;     // version or level the readers cannot take

// Binary reader (-118xx).
inline constexpr int32_t kErrBinOpen = -11801;
inline constexpr int32_t kErrBinRead = -11802;
inline constexpr int32_t kErrBinShort = -11803;  // the data ends early
inline constexpr int32_t kErrBinHeader = -11804;
inline constexpr int32_t kErrBinVersion = -11805;
inline constexpr int32_t kErrBinLanguages = -11806;
inline constexpr int32_t kErrBinTexts = -11807;
inline constexpr int32_t kErrBinAuthors = -11808;
inline constexpr int32_t kErrBinLibInfos = -11809;
inline constexpr int32_t kErrBinCategories = -11810;
inline constexpr int32_t kErrBinFiles = -11811;
inline constexpr int32_t kErrBinPathForm = -11812;
inline constexpr int32_t kErrBinEntries = -11813;
inline constexpr int32_t kErrBinDescKeys = -11814;
inline constexpr int32_t kErrBinDescValues = -11815;
inline constexpr int32_t kErrBinDescTexts = -11816;
inline constexpr int32_t kErrBinTrailer = -11817;
inline constexpr int32_t kErrBinZData = -11818;
inline constexpr int32_t kErrBinZStream = -11819;
inline constexpr int32_t kErrBinZMemory = -11820;
inline constexpr int32_t kErrBinZBuffer = -11821;
inline constexpr int32_t kErrBinZOther = -11822;
inline constexpr int32_t kErrBinCount = -11823;    // a count or length the rest cannot hold
inline constexpr int32_t kErrBinNumber = -11824;   // a number's first byte above 0xF0
inline constexpr int32_t kErrBinBodyEnd = -11825;  // compressed body longer than its fields

// Allocation and release tags.
inline constexpr int32_t kTagStkWindow = 34003;
inline constexpr int32_t kTagStkLine = 34004;
inline constexpr int32_t kTagStkAuthTable = 34005;
inline constexpr int32_t kTagStkOut = 34007;
inline constexpr int32_t kTagStkStreamText = 34008;
inline constexpr int32_t kTagBinOut = 34009;
inline constexpr int32_t kTagBinZOut = 34010;
inline constexpr int32_t kTagBinWindow = 34011;
inline constexpr int32_t kTagBinZWindow = 34012;
inline constexpr int32_t kTagStkFileRecord = 34102;
inline constexpr int32_t kTagStkAuthor = 34103;
inline constexpr int32_t kTagStkBuckets = 34104;
inline constexpr int32_t kTagFreeStkWindow = 35004;
inline constexpr int32_t kTagFreeStkLine = 35005;
inline constexpr int32_t kTagFreeStkAuthTable = 35006;
inline constexpr int32_t kTagFreeStkOut = 35007;
inline constexpr int32_t kTagFreeStkStreamText = 35008;
inline constexpr int32_t kTagFreeBinOut = 35013;
inline constexpr int32_t kTagFreeBinZOut = 35014;
inline constexpr int32_t kTagFreeBinZInput = 35018;
inline constexpr int32_t kTagFreeBinWindow = 35019;

}  // namespace lvk
