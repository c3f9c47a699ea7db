// Names of a pattern: "$" macros, stock vehicles with their type bookkeeping, and the "$"
// commands of a pattern.
#include <algorithm>
#include <vector>

#include "engine/base/engine_state.h"
#include "engine/script/expand.h"
#include "engine/script/macros.h"
#include "engine/base/recovery.h"
#include "engine/stock/stock_index.h"

namespace lvk::expand {
namespace {

// A macro entry of the stock: described by its text alone.
constexpr int16_t kMacroEntry = 0x7FFF;
constexpr int kTypeCodeLetters = 146;

// The type-sequence state (rows, SharedState byte 98) after a vehicle of a type class
// (columns). Class 11, the way letter "H", had no column: rows were 11 wide, so class 11
// read column 0 of the next row. That column is kept as class 11's own, which sends the
// states that pass every class through (1, 8 and 9) to 11 as they do for any other class;
// state 11, the last row, keeps itself.
constexpr uint8_t kTypeSequence[12][12] = {
    {},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
    {11, 2, 2, 3, 2, 5, 6, 7, 2, 2, 10, 0},
    {0, 3, 3, 3, 3, 3, 3, 0, 3, 3, 0, 0},
    {0, 3, 3, 3, 3, 3, 3, 0, 3, 3, 0, 0},
    {0, 5, 5, 6, 6, 5, 6, 7, 5, 5, 0, 0},
    {0, 6, 6, 6, 6, 6, 6, 0, 6, 6, 0, 0},
    {0, 7, 7, 0, 7, 7, 0, 7, 7, 7, 0, 0},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
    {11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
    {11, 10, 10, 0, 0, 0, 0, 0, 10, 10, 10, 0},
    {0, 11, 0, 0, 0, 0, 0, 0, 11, 11, 0, 11},
};

bool EqualsWord(std::u16string_view a, std::u16string_view upper) {
    if (a.size() != upper.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t c = a[i] >= u'a' && a[i] <= u'z' ? static_cast<char16_t>(a[i] - 32) : a[i];
        if (c != upper[i]) return false;
    }
    return true;
}

void EnterLevel(Engine& e) {
    if (++e.depth > kMaxDepth) RaiseError(-12426);
}

// The group's children split at its first comma.
Range BeforeComma(const Node* group, Range& after, bool& hasComma) {
    for (Node* n = group->first; n != nullptr; n = n->next) {
        if (n->kind == u',') {
            hasComma = true;
            after = {n->next, nullptr};
            return {group->first, n};
        }
    }
    hasComma = false;
    after = {nullptr, nullptr};
    return {group->first, nullptr};
}

Run Mix(Run run) {
    std::vector<Item*> items;
    for (Item* i = run.first; items.size() < static_cast<size_t>(run.count); i = i->next) items.push_back(i);
    Run mixed;
    while (!items.empty()) {
        const int32_t k = RandomIndex(static_cast<int32_t>(items.size()), kSiteMix);
        Item* picked = items[static_cast<size_t>(k)];
        items.erase(items.begin() + k);
        picked->next = nullptr;
        mixed.Append(picked);
    }
    return mixed;
}

// A macro entry that stands for one vehicle names that vehicle: its picture may come from
// another entry, but its labels, plate and description are the macro entry's own. The
// vehicle builder's "NAME" item links a picture to the entry it names.
void NameByEntry(Engine& e, Item& item, int32_t entry) {
    const StockEntry* se = StockEntryAt(entry);
    if (se == nullptr) return;
    const std::u16string mark = u"[NAME:" + std::u16string(se->Name) + u"]";
    auto* text = static_cast<char16_t*>(e.store.Alloc(mark.size() * sizeof(char16_t), 34086));
    mark.copy(text, mark.size());
    item.modifiers = e.NewPiece(item.modifiers, text, text + mark.size());
}

}  // namespace

void NoteStockType(int32_t entry) {
    SharedState* shared = Shared();
    const StockEntry* se = StockEntryAt(entry);
    if (shared == nullptr || se == nullptr) return;
    // The type-code letter of a vehicle is its way letter: the letter string the program
    // hands over is the way-letter string.
    int32_t l = 0;
    if (const char16_t* letters = shared->TypeCodeLetters) {
        for (int32_t k = 0; k < kTypeCodeLetters && letters[k] != 0; ++k) {
            if (letters[k] == se->WayLetter) {
                l = k + 1;
                break;
            }
        }
    }
    shared->TypeCodeFound = static_cast<uint16_t>(l);

    const int32_t i = l - 1;
    int32_t height = 0;
    if (i == 2 || i == 5)
        height = shared->PictureHeight;
    else if (i == 6)
        height = 31;
    else if (i >= 12)
        height = shared->PictureHeight - (i - 12) / 2 - 1;
    height = std::clamp(height, 0, 255);
    if (height > shared->ExpandState2) shared->ExpandState2 = static_cast<uint8_t>(height);

    const int32_t typeClass = l == 12 ? 8 : l < 13 ? l : (l % 2 != 0 ? 2 : 6);
    const uint8_t state = shared->ExpandState1;
    if (state >= 1 && state <= 11) shared->ExpandState1 = kTypeSequence[state][typeClass];
}

NameResult ResolveName(Engine& e, const char16_t* start, const char16_t* end, Piece* modifiers) {
    e.Work();
    NameResult result;
    const std::u16string_view name(start, static_cast<size_t>(end - start));

    if (e.bound > 0) {
        if (const MacroDefinition* m = LookMacro(name, e.bound)) {
            EnterLevel(e);
            result.run = GeneratePattern(e, Tokenize(e, m->Value()), modifiers);
            --e.depth;
            result.single = result.run.count == 1;
            return result;
        }
    }

    const bool bang = !name.empty() && name.front() == u'!';
    const bool mayLook = bang || (!e.stockNeedsBang && e.bangOnly == 0);
    const std::u16string_view key = bang ? name.substr(1) : name;
    const int32_t entry = mayLook ? FindStock(key) : 0;
    if (const StockEntry* se = entry > 0 ? StockEntryAt(entry) : nullptr) {
        NoteStockType(entry);
        if (se->FileIndex == kMacroEntry) {
            EnterLevel(e);
            ++e.bangOnly;
            result.run = GenerateSequence(e, {Tokenize(e, se->Text2), nullptr}, modifiers);
            --e.bangOnly;
            --e.depth;
            result.single = result.run.count == 1;
            if (result.single) NameByEntry(e, *result.run.first, entry);
            return result;
        }
        if (!e.Charge(entry)) return result;
        result.run.Append(e.NewItem(key.data(), key.data() + key.size(), modifiers, entry));
        result.single = true;
        if (!se->Text3.empty()) {
            EnterLevel(e);
            result.inserted = Tokenize(e, se->Text3);
            if (result.inserted == nullptr) --e.depth;
        }
        return result;
    }

    if (!e.Charge(0)) return result;
    result.run.Append(e.NewItem(start, end, modifiers, 0));
    result.single = true;
    return result;
}

Run RunCommand(Engine& e, const Node* word, const Node* group, Piece* modifiers) {
    e.Work();
    const std::u16string_view command = word->Text().substr(1);
    const bool dir = EqualsWord(command, u"DIR");
    const bool mix = EqualsWord(command, u"MIX");
    if (!dir && !mix && !EqualsWord(command, u"BETWEEN") && !EqualsWord(command, u"SAMESECTION")) RaiseError(-12427);
    if (group == nullptr) RaiseError(-12428);
    if (dir) {
        if (e.direction == 0) e.direction = RandomIndex(2, kSiteDirCommand) == 0 ? -1 : 1;
        Range after;
        bool hasComma = false;
        const Range before = BeforeComma(group, after, hasComma);
        if (e.direction < 0) return GenerateSequence(e, before, modifiers);
        return hasComma ? GenerateSequence(e, after, modifiers) : Run{};
    }
    Run run = GenerateSequence(e, {group->first, nullptr}, modifiers);
    // "$BETWEEN" and "$SAMESECTION" pass their group through: what they ask of the train
    // is the program's to decide from the strings it receives.
    return mix ? Mix(run) : run;
}

}  // namespace lvk::expand
