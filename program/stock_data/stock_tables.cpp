#include "program/stock_data/stock_tables.h"

#include <algorithm>
#include <new>

#include "lumvatek/shared.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/lang_texts.h"
#include "program/stock_data/stock_state.h"

namespace yov {

namespace {

constexpr int32_t kDefaultPictureHeight = 58;
constexpr int32_t kStockGrowth = 1000;
constexpr int32_t kDescTextGrowth = 100;

template <class T>
void redimOrThrow(SharedArray<T>& a, int32_t upperBound) {
    if (!a.redim(upperBound)) throw std::bad_alloc();
}

// Appends one fresh record: records past the count may still hold an earlier load's values.
template <class T>
int32_t appendRecord(SharedArray<T>& a, int32_t& count, int32_t& alloc, int32_t step) {
    const int32_t i = std::max(count, 0) + 1;
    if (i > alloc || !a.has(i)) {
        const int32_t upper = std::max(alloc, i - 1) + step;
        redimOrThrow(a, upper);
        alloc = upper;
    }
    a[i] = T{};
    count = i;
    return i;
}

template <class T>
void allocateAtLeast(SharedArray<T>& a, int32_t& alloc, int32_t n) {
    if (n <= alloc && a.has(n)) return;
    redimOrThrow(a, n);
    alloc = n;
}

template <class T>
bool coverIndex(SharedArray<T>& a, int32_t& count, int32_t& alloc, int32_t index, int32_t step) {
    if (index < 1) return false;
    if (index > alloc || !a.has(index)) {
        if (index > INT32_MAX - step || !a.redim(index + step)) return false;
        alloc = index + step;
    }
    count = std::max(count, index);
    return true;
}

}  // namespace

int32_t AddStockFile() {
    ProgramState& st = programState();
    return appendRecord(st.Arrays.StockFiles, st.Shared.StockFileCount, st.Shared.StockFileAlloc, 5);
}

int32_t AddAuthor() {
    ProgramState& st = programState();
    return appendRecord(st.Arrays.Authors, st.Shared.AuthorCount, st.Shared.AuthorAlloc, 5);
}

int32_t AddLibInfo() {
    ProgramState& st = programState();
    return appendRecord(st.Arrays.LibInfos, st.Shared.LibInfoCount, st.Shared.LibInfoAlloc, 3);
}

int32_t AddCategory() {
    ProgramState& st = programState();
    return appendRecord(st.Arrays.Categories, st.Shared.CategoryCount, st.Shared.CategoryAlloc, 5);
}

int32_t AddDescKey() {
    ProgramState& st = programState();
    return appendRecord(st.Arrays.DescKeys, st.Shared.DescKeyCount, st.Shared.DescKeyAlloc, 10);
}

int32_t AddDescValue() {
    ProgramState& st = programState();
    return appendRecord(st.Arrays.DescValues, st.Shared.DescValueCount, st.Shared.DescValueAlloc, 10);
}

int32_t AddDescText() {
    ProgramState& st = programState();
    return appendRecord(st.Arrays.DescTexts, st.Shared.DescTextCount, st.Shared.DescTextAlloc, kDescTextGrowth);
}

void AllocateForHint(StockTable table, double n) {
    if (!(n >= 1)) return;
    const int32_t want = static_cast<int32_t>(std::min<double>(n, kMaxCountHint));
    ProgramState& st = programState();
    SharedArrays& a = st.Arrays;
    SharedState& sh = st.Shared;
    switch (table) {
    case StockTable::Entries: allocateAtLeast(a.Stock, sh.StockAlloc, want); break;
    case StockTable::Authors: allocateAtLeast(a.Authors, sh.AuthorAlloc, want); break;
    case StockTable::LibInfos: allocateAtLeast(a.LibInfos, sh.LibInfoAlloc, want); break;
    case StockTable::Categories: allocateAtLeast(a.Categories, sh.CategoryAlloc, want); break;
    case StockTable::Texts: allocateAtLeast(a.LangTexts, sh.LangTextAlloc, want); break;
    case StockTable::DescKeys: allocateAtLeast(a.DescKeys, sh.DescKeyAlloc, want); break;
    case StockTable::DescValues: allocateAtLeast(a.DescValues, sh.DescValueAlloc, want); break;
    case StockTable::DescTexts: allocateAtLeast(a.DescTexts, sh.DescTextAlloc, want); break;
    }
}

bool EnsureStockEntry(int32_t index) {
    ProgramState& st = programState();
    return coverIndex(st.Arrays.Stock, st.Shared.StockCount, st.Shared.StockAlloc, index, kStockGrowth);
}

bool EnsureDescText(int32_t number) {
    ProgramState& st = programState();
    return coverIndex(st.Arrays.DescTexts, st.Shared.DescTextCount, st.Shared.DescTextAlloc, number, kDescTextGrowth);
}

void ResetStockTables() {
    ProgramState& st = programState();
    SharedState& sh = st.Shared;
    SharedArrays& a = st.Arrays;
    sh.StockCount = 0;
    redimOrThrow(a.Stock, 1);
    sh.StockAlloc = 1;
    if (sh.CategoryAlloc <= 0 || a.Categories.length() == 0) {
        redimOrThrow(a.Categories, 1);
        sh.CategoryAlloc = 1;
    }
    sh.StockFileCount = 0;
    sh.CategoryCount = 0;
    sh.AuthorCount = 0;
    sh.LibInfoCount = 0;
    sh.PictureHeight = kDefaultPictureHeight;
    a.DescTexts.redim(-1);
    sh.DescTextCount = 0;
    sh.DescTextAlloc = 0;

    sh.DescValueCount = 0;
    sh.BuiltinDescKeys = kLastBuiltinDescKey;
    if (sh.DescKeyAlloc < kLastBuiltinDescKey || !a.DescKeys.has(kLastBuiltinDescKey)) {
        redimOrThrow(a.DescKeys, kLastBuiltinDescKey);
        sh.DescKeyAlloc = kLastBuiltinDescKey;
    }
    sh.DescKeyCount = kLastBuiltinDescKey;
    for (int32_t k = 0; k <= kLastBuiltinDescKey; ++k) {
        DescKeyEntry& key = a.DescKeys[k];
        key = DescKeyEntry{};
        key.Key = kBuiltinDescKeyNames[static_cast<size_t>(k)];
        key.Flags = kBuiltinKeyFlags;
        key.FirstValue = 1;  // values read before the first key of the file belong to the last built-in
    }

    StockState& ss = stockState();
    ss.Background = 0;
    ss.CategoryNumber = 0;
    ss.LoadedName.clear();
    programState().scene.StockIndexBuilt = false;
}

void InitStockSections() {
    ProgramState& st = programState();
    SharedArrays& a = st.Arrays;
    st.Shared.LanguageCount = 0;
    if (a.Languages.length() < kLanguageSlots) redimOrThrow(a.Languages, kLanguageSlots - 1);
    a.Languages[0] = LanguageEntry{};
    a.Languages[0].Code = u"N";
    a.Languages[0].Names[0] = u"General";
    st.Shared.LangTextCount = 0;
    InvalidateLangTexts();
    ResetStockTables();
    ClearPicturePools();
}

void CheckStockFiles() {
    ProgramState& st = programState();
    SharedArrays& a = st.Arrays;
    const int32_t files = std::min(st.Shared.StockFileCount, a.StockFiles.upperBound());
    const int32_t libs = std::min(st.Shared.LibInfoCount, a.LibInfos.upperBound());
    for (int32_t i = 1; i <= files; ++i) {
        StockFileEntry& f = a.StockFiles[i];
        if (f.Kind < kPictureKinds && (programState().tables.PicKindClass[f.Kind] & 1) != 0) continue;
        f.Name = StockFileName(f.Kind, f.Path);
        for (int32_t l = 1; l <= libs; ++l) {
            if (plat::equalsNoCase(a.LibInfos[l].Key, f.Name)) {
                f.LibInfo = static_cast<int16_t>(l);
                break;
            }
        }
    }
}

void ResetDescTables() {
    const ProgramState& st = programState();
    const int32_t count = std::max(st.Shared.DescKeyCount, 0);
    const size_t size = static_cast<size_t>(count) + 1;
    DescriptionState& ds = descriptionState();
    ds.DescItems.assign(size, std::u16string());
    ds.DescItemLevel.assign(size, -1);
    ds.DescItemSource.assign(size, 0);
    ds.DescKeyPosition.assign(size, 0);
    for (int32_t k = st.Shared.BuiltinDescKeys + 1, position = 1; k <= count; ++k, ++position)
        ds.DescKeyPosition[static_cast<size_t>(k)] = position;
}

void ShrinkStockTables() {
    ProgramState& st = programState();
    SharedState& sh = st.Shared;
    SharedArrays& a = st.Arrays;
    if (a.Stock.redim(std::max(sh.StockCount, 0))) sh.StockAlloc = std::max(sh.StockCount, 0);
    if (a.StockFiles.redim(std::max(sh.StockFileCount, 0))) sh.StockFileAlloc = std::max(sh.StockFileCount, 0);
    // The stock windows write a closing category after the last one, as the binary reader
    // leaves room for.
    const int32_t closing = std::max(sh.CategoryCount, 0) + 2;
    if (a.Categories.upperBound() < closing && a.Categories.redim(closing)) sh.CategoryAlloc = closing;
}

std::u16string StockFileName(uint8_t kind, std::u16string_view path) {
    if (kind < kPictureKinds && (programState().tables.PicKindClass[kind] & 1) != 0) return std::u16string(path);
    const PathSplit parts = splitPathText(path);
    return parts.name + parts.ext;
}

}  // namespace yov
