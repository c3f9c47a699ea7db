// The engine's text scanners over arbitrary texts: Match with and without a template,
// RLook, LookDelim, LookSel, FindAttrib, SelectFromText and LookUse against a small stock,
// and the picture-name dispatch.
//
// Input: byte 0 picks the scanner, byte 1 a start or index, bytes 2.. three texts split at
// the byte 0x01, a byte per character except that 0xC0-0xFF take the next byte as a high
// byte (the file-name forms are the same bytes as 8-bit text).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/engine_state.h"
#include "engine/pictures/loader.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

struct World {
    SharedState shared;
    SharedArray<StockEntry> stock;
    World() {
        stock.redim(4);
        const char16_t* names[] = {u"", u"BR101", u"WAGON", u"MIX", u"TAIL"};
        for (int i = 1; i <= 4; ++i) {
            stock[i].Name = names[i];
            stock[i].FileIndex = 1;
        }
        stock[3].FileIndex = 0x7FFF;
        stock[3].Text2 = u"BR101,2*WAGON|(TAIL)";
        stock[4].Text3 = u"[X]<WAGON>";
        shared.StockCount = 4;
    }
};

std::vector<std::u16string> Texts(const uint8_t* data, size_t size) {
    std::vector<std::u16string> out(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x01 && out.size() < 3) {
            out.emplace_back();
        } else if (data[i] >= 0xC0 && i + 1 < size) {
            out.back() += static_cast<char16_t>(data[i + 1] << 8 | data[i]);
            ++i;
        } else {
            out.back() += static_cast<char16_t>(data[i]);
        }
    }
    out.resize(3);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static World* world = [] {
        auto* w = new World;
        lvk::BindShared(&w->shared, nullptr);
        PrepareLookStock(w->stock.desc(), w->shared.StockCount);
        return w;
    }();
    (void)world;
    const uint8_t op = data[0] % 8;
    const int32_t at = static_cast<int8_t>(data[1]);
    const std::vector<std::u16string> t = Texts(data + 2, size - 2);
    char16_t* a = LvTextAlloc(t[0]);
    char16_t* b = LvTextAlloc(t[1]);
    char16_t* c = LvTextAlloc(t[2]);
    switch (op) {
    case 0: Match(a, b, nullptr, nullptr); break;
    case 1: {
        // A short output buffer: the template's result must be cut, never written past.
        char16_t* out = LvTextAlloc(std::u16string(static_cast<size_t>(data[1] % 40), u' '));
        Match(a, b, c, out);
        LvTextFree(out);
        break;
    }
    case 2:
        RLook(a, at, static_cast<int8_t>(data[1] ^ 0x55), t[1].empty() ? data[1] : reinterpret_cast<uintptr_t>(b));
        break;
    case 3: LookDelim(a, at, data[1] & 1); break;
    case 4: {
        int32_t wordEnd = 0, next = 0;
        LookSel(a, at, &wordEnd, &next);
        break;
    }
    case 5:
        FindAttrib(a);
        SelectFromText(a, static_cast<uint16_t>(data[1]));
        break;
    case 6: LookUse(a, at); break;
    case 7: {
        std::string name;
        for (size_t i = 2; i < size; ++i) name += static_cast<char>(data[i]);
        lvk::ParsePictureName(name);
        break;
    }
    }
    LvTextFree(a);
    LvTextFree(b);
    LvTextFree(c);
    return 0;
}
