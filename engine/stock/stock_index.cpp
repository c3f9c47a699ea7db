// The stock name index: every entry's name as a key (and for a name holding "~", the part
// before it as a second key), sorted by UTF-16 units, one key per distinct text, the lowest
// entry number winning.
#include "engine/stock/stock_index.h"

#include <algorithm>
#include <cstring>

#include "engine/base/engine_state.h"
#include "engine/base/memory.h"
#include "engine/base/recovery.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

constexpr char16_t kTilde = u'~';
constexpr char16_t kTildeKey = 31;

struct Key {
    uint32_t offset;  // in units, into the text store
    uint32_t length;
    int32_t entry;
};

struct StockIndex {
    // Whole UTF-16 units: two names that differ only above the low byte stay apart.
    char16_t* text = nullptr;
    size_t textCapacity = 0;  // bytes
    Key* keys = nullptr;
    size_t keyCapacity = 0;  // bytes
    int32_t keyCount = 0;
    int32_t lastFound = -1;
    const LvArrayDesc* table = nullptr;
};

StockIndex& Index() {
    static StockIndex index;
    return index;
}

std::u16string_view KeyText(const StockIndex& x, const Key& k) { return {x.text + k.offset, k.length}; }

int CompareUnits(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

char16_t QueryUnit(char16_t c) {
    if (c == kTilde) return kTildeKey;
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    return c;
}

const LvArrayDesc* Table() {
    const StockIndex& x = Index();
    return x.table != nullptr ? x.table : Binding().arrays[0];
}

int32_t Search(std::u16string_view name) {
    StockIndex& x = Index();
    char16_t query[kMaxStockName];
    for (size_t i = 0; i < name.size(); ++i) query[i] = QueryUnit(name[i]);
    const std::u16string_view q(query, name.size());
    int32_t lo = 0, hi = x.keyCount - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int c = CompareUnits(KeyText(x, x.keys[mid]), q);
        if (c == 0) {
            x.lastFound = mid;
            return x.keys[mid].entry;
        }
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    x.lastFound = -1;
    return 0;
}

bool Reserve(void*& block, size_t& capacity, size_t need, size_t grant, int32_t freeTag, int32_t allocTag) {
    if (capacity >= need && block != nullptr) return true;
    MemFree(block, freeTag);
    block = MemAlloc(grant, allocTag);
    capacity = block != nullptr ? grant : 0;
    return block != nullptr;
}

}  // namespace

int32_t FindStock(std::u16string_view name) {
    if (name.size() > static_cast<size_t>(kMaxStockName)) {
        Index().lastFound = -1;
        return 0;
    }
    return Search(name);
}

int32_t LookStock(std::u16string_view name) {
    if (name.size() > static_cast<size_t>(kMaxStockName)) RaiseError(-12425);
    return Search(name);
}

StockEntry* StockEntryAt(int32_t i) {
    const LvArrayDesc* d = Table();
    if (d == nullptr || d->data == nullptr || d->elemSize != static_cast<int32_t>(sizeof(StockEntry)) || i < 1 ||
        i >= d->length)
        return nullptr;
    return static_cast<StockEntry*>(d->data) + i;
}

void FreeStockIndex() {
    StockIndex& x = Index();
    MemFree(x.text, 35065);
    MemFree(x.keys, 35066);
    x = StockIndex{};
}

}  // namespace lvk

using namespace lvk;

void PrepareLookStock(const LvArrayDesc* stockTable, int32_t count) noexcept {
    StockIndex& x = Index();
    x.table = stockTable;
    x.keyCount = 0;
    x.lastFound = -1;
    if (count <= 0 || stockTable == nullptr || stockTable->data == nullptr ||
        stockTable->elemSize != static_cast<int32_t>(sizeof(StockEntry)))
        return;
    // The count comes from the program's shared state; never read past the array.
    count = std::min(count, stockTable->length - 1);
    const auto* entries = static_cast<const StockEntry*>(stockTable->data);

    size_t units = 0;
    for (int32_t i = 1; i <= count; ++i) units += entries[i].Name.size() + 1;
    void* text = x.text;
    void* keys = x.keys;
    const size_t keyBytes = (static_cast<size_t>(count) * 2 + 10) * sizeof(Key);
    const bool ok =
        Reserve(text, x.textCapacity, units * sizeof(char16_t), units * sizeof(char16_t) + 1000, 35067, 34051) &&
        Reserve(keys, x.keyCapacity, keyBytes, keyBytes, 35068, 34052);
    x.text = static_cast<char16_t*>(text);
    x.keys = static_cast<Key*>(keys);
    if (!ok) return;

    uint32_t at = 0;
    int32_t n = 0;
    for (int32_t i = 1; i <= count; ++i) {
        const std::u16string& name = entries[i].Name;
        const size_t tilde = name.find(kTilde);
        for (size_t k = 0; k < name.size(); ++k) x.text[at + k] = name[k] == kTilde ? kTildeKey : name[k];
        x.text[at + name.size()] = 0;
        if (tilde != std::u16string::npos) x.keys[n++] = {at, static_cast<uint32_t>(tilde), i};
        x.keys[n++] = {at, static_cast<uint32_t>(name.size()), i};
        at += static_cast<uint32_t>(name.size() + 1);
    }
    std::sort(x.keys, x.keys + n, [&](const Key& a, const Key& b) {
        const int c = CompareUnits(KeyText(x, a), KeyText(x, b));
        return c != 0 ? c < 0 : a.entry < b.entry;
    });
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i)
        if (kept == 0 || KeyText(x, x.keys[kept - 1]) != KeyText(x, x.keys[i])) x.keys[kept++] = x.keys[i];
    x.keyCount = kept;
}

LvResult LookStockIdx(const char16_t* name) noexcept {
    const int32_t length = LvTextLength(name);
    if (length > kMaxStockName) return -1;
    return Search({name == nullptr ? u"" : name, static_cast<size_t>(length)});
}

LvResult GetStockSortIdx(int32_t position) noexcept {
    const StockIndex& x = Index();
    if (position == -1) return x.keyCount;
    if (position < 0 || position >= x.keyCount) return -1;
    return x.keys[position].entry;
}

LvResult GetLastFoundIdx() noexcept { return Index().lastFound; }
