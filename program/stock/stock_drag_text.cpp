#include "program/stock/stock_drag_text.h"

#include <array>

#include "platform/text.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/stock_data/code_letters.h"

namespace yov {

namespace {

constexpr int16_t kMacroFile = 32767;
constexpr int16_t kDescribedOnlyFirst = 32765;  // 32765 and 32766: built from the description
constexpr const char16_t* kLineEnd = u"\r\n";

// The keyword of a picture line by the file's kind; kinds 4 and 8 have none, and neither
// has a kind outside 1..11 (the line then starts with the path, as for 4 and 8).
std::u16string_view kindKeyword(uint8_t kind) {
    static constexpr std::array<std::u16string_view, 12> kKeywords = {
        u"", u"$GIF ", u"$BMP ", u"$DIB ", u"", u"$DLL16 ", u"$DLL32 ", u"$TVL ", u"", u"$BL ", u"$TBMP ", u"$TDIB "};
    return kind < kKeywords.size() ? kKeywords[kind] : std::u16string_view();
}

bool hasCode(char16_t c) { return c != 0 && c != u' '; }

void line(std::u16string& out, std::u16string_view a, std::u16string_view b = {}) {
    out.append(a);
    out.append(b);
    out.append(kLineEnd);
}

}  // namespace

std::u16string StockDragBlock(int32_t entry) {
    ProgramState& st = programState();
    if (entry < 1 || entry > st.Shared.StockCount || !st.Arrays.Stock.has(entry)) return {};
    StockEntry& e = st.Arrays.Stock[entry];
    if (e.FileIndex >= kDescribedOnlyFirst && e.FileIndex != kMacroFile) return {};

    std::u16string out;
    line(out, u"$NAME ", e.Name);
    if (e.FileIndex == kMacroFile) {
        line(out, u"$MACRO ", e.Text2);
    } else {
        const int32_t f = e.FileIndex;
        const bool known = f >= 1 && f <= st.Shared.StockFileCount && st.Arrays.StockFiles.has(f);
        std::u16string picture;
        if (known) {
            const StockFileEntry& file = st.Arrays.StockFiles[f];
            picture.append(kindKeyword(file.Kind));
            picture.append(file.Path);
        }
        picture.append(u"*");
        picture.append(e.Text2);
        line(out, picture);
        if (!e.Text3.empty()) line(out, u"$MODIF ", e.Text3);
    }
    if (hasCode(e.WayLetter)) line(out, u"$WAY ", FormatCodeLetter(e.WayLetter));
    if (hasCode(e.TypeLetter)) line(out, u"$TYP ", std::u16string(1, e.TypeLetter));
    if (e.Author != 0) {
        const bool known = e.Author >= 1 && e.Author <= st.Shared.AuthorCount && st.Arrays.Authors.has(e.Author);
        line(out, u"$AUTH ", known ? std::u16string(st.Arrays.Authors[e.Author].Key) : std::u16string());
    }
    line(out, u"$END");
    return out;
}

std::u16string StockDragText(uint16_t mask) {
    const ProgramState& st = programState();
    std::u16string out;
    for (int32_t i = 1; i <= st.Shared.StockCount && st.Arrays.Stock.has(i); ++i) {
        if ((st.Arrays.Stock[i].SelectMask & mask) != 0) out += StockDragBlock(i);
    }
    return out;
}

std::string StockDragBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::u16string CategoryDragText(int32_t entry) {
    const ProgramState& st = programState();
    const SharedArray<CategoryEntry>& cats = st.Arrays.Categories;
    // The row's label pushes every category that begins at its entry, outermost first: the
    // innermost is the last of them.
    int32_t innermost = 0;
    for (int32_t r = 1; r <= st.Shared.CategoryCount && cats.has(r); ++r) {
        if (cats[r].FirstEntry == entry) innermost = r;
    }
    if (innermost == 0) return {};
    std::u16string name = PickLangText(cats[innermost].Names, u"");
    const size_t colon = name.find(u':');
    if (colon != std::u16string::npos) name.erase(0, colon + 1);
    return plat::trim(name);
}

}  // namespace yov
