// LookUse: the entries whose composition (text 2 of kind M, text 3 otherwise) names a
// vehicle as a whole token, so that the stock windows can show where a vehicle is used.
#include <string_view>

#include "engine/base/engine_state.h"
#include "engine/stock/stock_format.h"
#include "engine/stock/stock_index.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

bool IsDelimiter(char16_t c) { return std::u16string_view(u"[](){}<>,:;|*@!+#").find(c) != std::u16string_view::npos; }

// Letters match either case: bit 0x20 of every unit is ignored.
bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
    return true;
}

bool UsesName(std::u16string_view text, std::u16string_view name) {
    if (name.size() > text.size()) return false;
    for (size_t at = 0; at + name.size() <= text.size(); ++at) {
        if (at > 0 && !IsDelimiter(text[at - 1])) continue;
        const size_t end = at + name.size();
        if (end < text.size() && !IsDelimiter(text[end])) continue;
        if (SameIgnoringCase(text.substr(at, name.size()), name)) return true;
    }
    return false;
}

}  // namespace
}  // namespace lvk

using namespace lvk;

LvResult LookUse(const char16_t* name, int32_t startIndex) noexcept {
    const SharedState* shared = Shared();
    if (shared == nullptr || shared->StockCount <= 0 || startIndex >= shared->StockCount) return 0;
    const std::u16string_view wanted(name != nullptr ? name : u"", static_cast<size_t>(LvTextLength(name)));
    for (int32_t i = startIndex < 0 ? 1 : startIndex + 1; i <= shared->StockCount; ++i) {
        const StockEntry* e = StockEntryAt(i);
        if (e == nullptr) break;
        if (UsesName(e->FileIndex == kMacroFileIndex ? e->Text2 : e->Text3, wanted)) return i;
    }
    return 0;
}
