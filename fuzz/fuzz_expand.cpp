// ExpandS over arbitrary patterns, with a small stock, a few macros (one calling itself)
// and a random source that follows the input.
//
// Input: byte 0 picks the flags (bit 0: macros seen, bit 1: every alternative, bit 2: stock
// only for "!" names, bit 3: raw mode), byte 1 the direction (0, 1 or -1 by its value mod
// 3) and seeds the random source; the rest is the pattern, a byte per character except
// that 0xC0-0xFF take the next byte as a high byte.
#include <cstdint>
#include <string>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

uint32_t g_seed = 1;

int32_t Random(int32_t n, int32_t) noexcept {
    g_seed = g_seed * 1103515245u + 12345u;
    return n < 2 ? 0 : static_cast<int32_t>((g_seed >> 8) % static_cast<uint32_t>(n));
}

struct World {
    SharedState shared;
    SharedArray<StockEntry> stock;
    SharedArray<LvString> strings;
    std::u16string letters = u" RESATFOPMHB123456789";

    World() {
        shared.TypeCodeLetters = letters.c_str();
        shared.PictureHeight = 40;
        stock.redim(6);
        const char16_t* names[] = {u"", u"BR101", u"WAGON", u"TANK~X", u"MIXED", u"LOCO", u"SELFMIX"};
        const char16_t ways[] = {u' ', u'E', u'P', u'F', u'M', u'H', u'1'};
        for (int i = 1; i <= 6; ++i) {
            stock[i].Name = names[i];
            stock[i].WayLetter = ways[i];
            stock[i].Width = static_cast<int16_t>(i * 20);
            stock[i].FileIndex = 1;
        }
        stock[4].FileIndex = 0x7FFF;
        stock[4].Text2 = u"!BR101,2*!WAGON|TANK";
        stock[5].Text3 = u"[FLIP](X";  // a broken text of its own
        stock[6].FileIndex = 0x7FFF;
        stock[6].Text2 = u"!SELFMIX";
        shared.StockCount = 6;
    }
};

void Define(const char16_t* name, const char16_t* value) {
    char16_t* n = LvTextAlloc(std::u16string(name));
    char16_t* v = LvTextAlloc(std::u16string(value));
    DefMac(n, v);
    LvTextFree(n);
    LvTextFree(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static World* world = [] {
        auto* w = new World;
        lvk::BindShared(&w->shared, &Random);
        PrepareLookStock(w->stock.desc(), w->shared.StockCount);
        MacIni();
        Define(u"TRAIN", u"<[MI:20]BR101,3*WAGON,(TANK|2:MIXED)");
        Define(u"SELF", u"A,SELF");
        Define(u"PAIR", u"$MIX(X,Y,Z)[m]");
        Define(u"BAD", u"(X");
        SortMac();
        return w;
    }();
    lvk::BindShared(&world->shared, &Random);

    const uint8_t f = data[0];
    int32_t flags = (f & 1) ? 0x100 : 0;
    if (f & 2) flags |= 0x08000000;
    if (f & 4) flags |= 0x10000000;
    if (f & 8) flags |= 0x40000000;
    int16_t direction = static_cast<int16_t>(data[1] % 3 == 2 ? -1 : data[1] % 3);
    g_seed = data[1] * 2654435761u + static_cast<uint32_t>(size);
    world->shared.ExpandState1 = static_cast<uint8_t>(f >> 4);

    std::u16string pattern;
    for (size_t i = 2; i < size; ++i) {
        if (data[i] >= 0xC0 && i + 1 < size) {
            pattern += static_cast<char16_t>(data[i + 1] << 8 | data[i]);
            ++i;
        } else {
            pattern += static_cast<char16_t>(data[i]);
        }
    }
    char16_t* text = LvTextAlloc(pattern);
    const int32_t n = ExpandS(text, world->strings.desc(), flags, &direction);
    if (n > 0 && n >= world->strings.length()) __builtin_trap();
    LvTextFree(text);
    return 0;
}
