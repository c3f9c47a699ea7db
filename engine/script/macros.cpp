// The "$" macro table: records in a chunk store of their own and an array of their
// addresses that grows 256 at a time.
#include "engine/script/macros.h"

#include <algorithm>
#include <cstring>

#include "engine/base/chunk_store.h"
#include "engine/base/engine_state.h"
#include "engine/base/memory.h"
#include "engine/base/recovery.h"
#include "engine/script/timetable_reader.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

constexpr int32_t kGrowth = 256;
constexpr int32_t kMaxNameBytes = 256;
constexpr int kMaxLookName = 128;

struct MacroTable {
    ChunkStore store{35063, 35064, -12303, 4096};
    MacroDefinition** records = nullptr;
    int32_t capacity = 0;
    int32_t count = 0;
    bool sorted = true;
    int32_t lastFound = -1;
};

MacroTable& Table() {
    static MacroTable* table = new MacroTable;  // never destroyed, as the reader's stores
    return *table;
}

void PublishCount() {
    if (SharedState* shared = Shared()) shared->MacroCount = Table().count;
}

// Names compare by length, then by their bytes in memory order (low byte first).
int CompareNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        const int lowA = a[i] & 0xFF, lowB = b[i] & 0xFF;
        if (lowA != lowB) return lowA < lowB ? -1 : 1;
        return (a[i] >> 8) < (b[i] >> 8) ? -1 : 1;
    }
    return 0;
}

void Sort() {
    MacroTable& t = Table();
    std::sort(t.records, t.records + t.count, [](const MacroDefinition* a, const MacroDefinition* b) {
        const int c = CompareNames(a->Name(), b->Name());
        return c != 0 ? c < 0 : a->number < b->number;
    });
    for (int32_t i = 0; i < t.count; ++i) t.records[i]->flags = 0;
    for (int32_t i = 1; i < t.count; ++i) {
        if (t.records[i - 1]->Name() != t.records[i]->Name()) continue;
        t.records[i - 1]->flags |= 2;
        t.records[i]->flags |= 1;
    }
    t.sorted = true;
}

void FreeTable() {
    MacroTable& t = Table();
    t.store.FreeAll();
    MemFree(t.records, 35069);
    t.records = nullptr;
    t.capacity = 0;
    t.count = 0;
    t.sorted = true;
    t.lastFound = -1;
}

}  // namespace

const MacroDefinition* LookMacro(std::u16string_view name, int32_t bound) {
    MacroTable& t = Table();
    if (bound <= 0 || name.size() > static_cast<size_t>(kMaxLookName) || t.count == 0) return nullptr;
    // A definition made after the last sort would otherwise be missed.
    if (!t.sorted) Sort();
    char16_t upper[kMaxLookName];
    for (size_t i = 0; i < name.size(); ++i)
        upper[i] = name[i] >= u'a' && name[i] <= u'z' ? static_cast<char16_t>(name[i] - 32) : name[i];
    const std::u16string_view key(upper, name.size());

    MacroDefinition** first = std::lower_bound(
        t.records, t.records + t.count, key,
        [](const MacroDefinition* m, std::u16string_view k) { return CompareNames(m->Name(), k) < 0; });
    MacroDefinition** end = first;
    while (end != t.records + t.count && (*end)->Name() == key) ++end;
    if (first == end) return nullptr;
    MacroDefinition** chosen = nullptr;
    for (MacroDefinition** m = first; m != end; ++m)
        if ((*m)->number < bound) chosen = m;
    if (chosen == nullptr && (*first)->number <= bound) chosen = first;
    if (chosen == nullptr) return nullptr;
    t.lastFound = static_cast<int32_t>(chosen - t.records);
    return *chosen;
}

}  // namespace lvk

using namespace lvk;

LvResult MacIni() noexcept {
    MacroTable& t = Table();
    t.store.Rewind();
    t.count = 0;
    t.sorted = true;
    t.lastFound = -1;
    PublishCount();
    return 0;
}

LvResult DefMac(const char16_t* name, const char16_t* value) noexcept {
    return RecoveryPoint(-12303, [&]() -> int32_t {
        const int32_t nameLength = LvTextLength(name);
        if (nameLength * 2 > kMaxNameBytes) return -12301;
        const int32_t valueLength = LvTextLength(value);
        MacroTable& t = Table();
        if (t.count + 1 >= t.capacity) {
            const int32_t capacity = t.capacity + kGrowth;
            auto* grown = static_cast<MacroDefinition**>(
                MemRealloc(t.records, static_cast<size_t>(capacity) * sizeof(MacroDefinition*), 36002));
            if (grown == nullptr) return -12303;
            t.records = grown;
            t.capacity = capacity;
        }
        auto* m = t.store.New<MacroDefinition>(34089, static_cast<size_t>(nameLength) * sizeof(char16_t));
        if (nameLength > 0) std::memcpy(m + 1, name, static_cast<size_t>(nameLength) * sizeof(char16_t));
        m->nameLength = static_cast<uint8_t>(nameLength);
        auto* text = static_cast<char16_t*>(t.store.Alloc(static_cast<size_t>(valueLength) * sizeof(char16_t), 34090));
        if (valueLength > 0) std::memcpy(text, value, static_cast<size_t>(valueLength) * sizeof(char16_t));
        m->value = text;
        m->valueBytes = valueLength * 2;
        m->number = t.count + 1;
        m->sourceValue = tt::R().lastValue;
        m->sourceLine = tt::R().lastLine;
        t.records[t.count++] = m;
        t.sorted = false;
        PublishCount();
        return 0;
    });
}

LvResult GetMac(int32_t number, char16_t** nameOut, char16_t** valueOut) noexcept {
    const MacroTable& t = Table();
    if (t.count == 0) return -2;
    if (number > t.count) return -1;
    for (int32_t i = 0; i < t.count; ++i) {
        const MacroDefinition* m = t.records[i];
        if (m->number != number) continue;
        if (nameOut != nullptr && !LvTextReplace(nameOut, std::u16string(m->Name()))) return -12303;
        if (valueOut != nullptr && !LvTextReplace(valueOut, std::u16string(m->Value()))) return -12303;
        return 0;
    }
    return -2;
}

LvResult SortMac() noexcept {
    Sort();
    return Table().count;
}

LvResult MacFree() noexcept {
    FreeTable();
    PublishCount();
    return 0;
}
