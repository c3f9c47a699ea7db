// The stock tables: the shared arrays that the stock files fill (entries, files, authors,
// picture libraries, categories, languages, texts, description keys, values and texts),
// their growers and their resets. Counts and allocated sizes live in SharedState; every
// table is 1-based with element 0 present, and its allocated size is its upper bound.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

// Built-in description keys 0..7 (SharedState's BuiltinDescKeys is the last of them).
inline constexpr int32_t kLastBuiltinDescKey = 7;
inline constexpr std::array<const char16_t*, kLastBuiltinDescKey + 1> kBuiltinDescKeyNames = {
    u"OTHER", u"AUTHNICK", u"AUTHFULL", u"NAME", u"FNAME", u"MACRO", u"LENGTH", u"BASED"};
inline constexpr uint8_t kBuiltinKeyFlags = 0x08;
inline constexpr uint8_t kStockKeyFlags = 0x18;

// The largest table a "...CNT" line may allocate ahead; beyond it the tables grow as read.
inline constexpr int32_t kMaxCountHint = 32767;
// Stock-file, author and description-value numbers are kept in 16 bits (0x7FFF marks a
// macro entry's file).
inline constexpr int32_t kMax16BitIndex = 32766;

// Each adds one record (default values) at the end, raises the count and returns the new
// index. Growth steps: files 5, authors 5, libraries 3, categories 5, keys 10, values 10,
// description texts 100.
int32_t AddStockFile();
int32_t AddAuthor();
int32_t AddLibInfo();
int32_t AddCategory();
int32_t AddDescKey();
int32_t AddDescValue();
int32_t AddDescText();

// The "...CNT" hints: the table is allocated to n (at most kMaxCountHint) when that is more
// than it has.
enum class StockTable { Entries, Authors, LibInfos, Categories, Texts, DescKeys, DescValues, DescTexts };
void AllocateForHint(StockTable table, double n);

// Stock entry `index` exists from now on (the table grows to index + 1000 when needed) and
// the count covers it. False when the table cannot grow.
bool EnsureStockEntry(int32_t index);
// Description text `number` exists (the table grows to number + 100) and the count covers it.
bool EnsureDescText(int32_t number);

void ResetStockTables();
void InitStockSections();
void CheckStockFiles();
void ResetDescTables();
// The allocated sizes of the stock entries and stock files come down to their counts.
void ShrinkStockTables();

// The name a stock file is known by: its whole path for the kinds named by their path, else
// the file name with extension, spelled as the stock file spells them.
std::u16string StockFileName(uint8_t kind, std::u16string_view path);

}  // namespace yov
