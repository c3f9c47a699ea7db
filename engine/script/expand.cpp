// ExpandS: a composition pattern to a list of strings in the program's string array, and
// the report of a failure after the pattern was parsed.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/base/engine_state.h"
#include "engine/base/events.h"
#include "engine/script/expand.h"
#include "engine/base/recovery.h"
#include "engine/script/source_store.h"
#include "engine/stock/stock_index.h"
#include "lumvatek/exports.h"

namespace lvk::expand {

void Run::Append(Item* item) {
    item->next = nullptr;
    if (last != nullptr)
        last->next = item;
    else
        first = item;
    last = item;
    ++count;
}

void Run::Append(const Run& run) {
    if (run.count == 0) return;
    if (last != nullptr)
        last->next = run.first;
    else
        first = run.first;
    last = run.last;
    count += run.count;
}

void Engine::Work() {
    // A pattern such as a macro that lists itself twice per level doubles with every level;
    // the work of one call is bounded and ends as "Memory overflow".
    if (++work > kMaxWork) RaiseError(-12421);
}

Piece* Engine::NewPiece(Piece* next, const char16_t* start, const char16_t* end) {
    auto* p = store.New<Piece>(34086);
    *p = {next, start, end};
    return p;
}

Item* Engine::NewItem(const char16_t* start, const char16_t* end, Piece* modifiers, int32_t entry) {
    if (++items > kMaxItems) RaiseError(-12421);
    auto* item = store.New<Item>(34086);
    item->text = start == end ? nullptr : NewPiece(nullptr, start, end);
    item->modifiers = modifiers;
    item->entry = entry;
    return item;
}

Item* Engine::CopyItem(const Item* item) {
    if (++items > kMaxItems) RaiseError(-12421);
    auto* copy = store.New<Item>(34086);
    *copy = *item;
    copy->next = nullptr;
    return copy;
}

bool Engine::Charge(int32_t entry) {
    if (limits == nullptr) return true;
    int64_t width = 0;
    if (const StockEntry* se = entry > 0 ? StockEntryAt(entry) : nullptr) width = static_cast<uint16_t>(se->Width);
    if (width == 0) width = 4 * static_cast<int64_t>(Shared() != nullptr ? Shared()->PictureHeight : 0);
    int outOf = INT_MAX;
    for (const Limit* l = limits; l != nullptr; l = l->next)
        if ((l->images && l->imagesLeft < 1) || (l->pixels && l->pixelsLeft < width)) outOf = std::min(outOf, l->level);
    if (outOf != INT_MAX) {
        stopLevel = std::min(stopLevel, outOf);
        return false;
    }
    for (Limit* l = limits; l != nullptr; l = l->next) {
        l->imagesLeft -= 1;
        l->pixelsLeft -= width;
    }
    return true;
}

std::u16string ItemText(const Item* item) {
    std::vector<const Piece*> pieces;
    std::u16string s;
    for (const Piece* p = item->text; p != nullptr; p = p->next) pieces.push_back(p);
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) s.append((*it)->start, (*it)->end);
    pieces.clear();
    for (const Piece* p = item->modifiers; p != nullptr; p = p->next) pieces.push_back(p);
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) s.append((*it)->start, (*it)->end);
    return s;
}

namespace {

// Elements 1..n of the program's string array; it grows 51 elements at a time.
int32_t WriteStrings(LvArrayDesc* strings, const std::vector<const Item*>& items) {
    if (items.empty()) return 0;
    if (strings == nullptr || strings->redim == nullptr || strings->elemSize != static_cast<int32_t>(sizeof(LvString)))
        RaiseError(-12421);
    const int32_t n = static_cast<int32_t>(items.size());
    if (strings->length <= n) {
        int32_t upper = strings->length - 1;
        while (upper < n) upper += 51;
        if (strings->redim(strings, upper) != 0 || strings->length <= n) RaiseError(-12421);
    }
    auto* out = static_cast<LvString*>(strings->data);
    try {
        for (int32_t i = 0; i < n; ++i) out[i + 1] = ItemText(items[static_cast<size_t>(i)]);
    } catch (const std::bad_alloc&) {
        RaiseError(-12422);
    }
    return n;
}

void ReportNodes(const Node* first, int level) {
    const std::u16string indent(static_cast<size_t>(level) * 2, u' ');
    for (const Node* n = first; n != nullptr; n = n->next) {
        std::u16string line = indent;
        switch (n->kind) {
        case kNumberNode:
            line += u"NUMB: ";
            line += n->Text();
            break;
        case kNameNode:
            line += u"NAME: ";
            line += n->Text();
            break;
        case kModifierNode:
            line += u"MOD ";
            line += n->Text();
            break;
        case kGroupNode:
            SetEventText(1, indent + u"(");
            RaiseEvent(lv_event::kMessage);
            ReportNodes(n->first, level + 1);
            line += u")";
            break;
        default:
            line += u"CHAR: ";
            line += static_cast<char16_t>(n->kind);
            break;
        }
        SetEventText(1, line);
        RaiseEvent(lv_event::kMessage);
    }
}

void ReportFailure(int32_t code, const Node* pattern) {
    if (!HasEventCallback()) return;
    RaiseMessage("Error %d in SGen2()", code);
    ReportNodes(pattern, 0);
    RaiseEvent(lv_event::kExpandDone);
}

}  // namespace
}  // namespace lvk::expand

using namespace lvk;
using namespace lvk::expand;

LvResult ExpandS(const char16_t* pattern, LvArrayDesc* strings, int32_t flags, int16_t* direction) noexcept {
    const int16_t callerDirection = direction != nullptr ? *direction : 0;
    int32_t result = 0;
    int finalDirection = 0;
    {
        SourceStoreScope scope;
        Engine e(SourceStore());
        e.bound = flags & 0xFFFFFF;
        e.everyAlternative = (flags & 0x08000000) != 0;
        e.stockNeedsBang = (flags & 0x10000000) != 0;
        e.raw = (flags & 0x40000000) != 0;
        e.direction = callerDirection == 1 ? 1 : (callerDirection == -1 || callerDirection == 255) ? -1 : 0;
        Node* parsed = nullptr;
        bool wasParsed = false;
        result = RecoveryPoint(-12421, [&]() -> int32_t {
            parsed = Tokenize(e, {pattern == nullptr ? u"" : pattern, static_cast<size_t>(LvTextLength(pattern))});
            wasParsed = true;
            const Run run = GeneratePattern(e, parsed, nullptr);
            if (e.direction == 0) e.direction = RandomIndex(2, kSiteFinalDirection) == 0 ? -1 : 1;
            std::vector<const Item*> items;
            items.reserve(static_cast<size_t>(run.count));
            for (const Item* i = run.first; items.size() < static_cast<size_t>(run.count); i = i->next)
                items.push_back(i);
            // Left: in the order written; right: from the last to the first.
            if (e.direction > 0) std::reverse(items.begin(), items.end());
            return WriteStrings(strings, items);
        });
        finalDirection = e.direction;
        // The nodes are still in the store: report before the scope releases them.
        if (result < 0 && wasParsed) ReportFailure(result, parsed);
    }
    if (result >= 0 && direction != nullptr && callerDirection == 0) *direction = static_cast<int16_t>(finalDirection);
    return result;
}
