#include "program/core/startup/startup_tables.h"

#include "platform/codepage.h"
#include "program/core/startup/program_state.h"

namespace yov {

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

}  // namespace

std::u16string MakeTypeCodeLetters() {
    static constexpr char kPartners[] = "23456789abcdefghijklmnopqrstuvwxyzCDGIJKLNQUVWXY";
    static_assert(sizeof kPartners - 1 == 48);
    std::string bytes = " RESATFOPMHB1";
    for (int i = 0; i < 48; ++i) {
        bytes += static_cast<char>(0xC0 + i);
        bytes += kPartners[i];
    }
    bytes += static_cast<char>(0xF0);
    bytes += 'Z';
    for (int b = 0xF1; b <= 0xFF; ++b) bytes += static_cast<char>(b);
    for (int b = 0xA1; b <= 0xB4; ++b) bytes += static_cast<char>(b);
    return plat::decodeCodePage(bytes, plat::CodePage::Windows1250);
}

void BuildStartupTables() {
    ProgramState& ms = programState();
    ProgramState& st = programState();

    ms.tables.PicKindExt = {};
    ms.tables.PicKindClass = {};
    const struct {
        int kind;
        const char16_t* ext;
        uint8_t kindClass;
    } kinds[] = {{1, u".GIF", 1},   {2, u".BMP", 1},   {3, u".DIB", 1},  {5, u"", 2},
                 {6, u"", 2},       {7, u"", 0},       {9, u".BMP", 37}, {10, u".BMP", 33},
                 {11, u".DIB", 33}, {18, u".BMP", 17}, {19, u".DIB", 17}};
    for (const auto& k : kinds) {
        ms.tables.PicKindExt[static_cast<size_t>(k.kind)] = k.ext;
        ms.tables.PicKindClass[static_cast<size_t>(k.kind)] = k.kindClass;
    }

    ms.tables.ColorLetters = u" RYBGKWLOCN";
    ms.tables.ColorRGB = {rgb(128, 128, 128), rgb(128, 128, 128), rgb(255, 0, 0),   rgb(255, 255, 0),
                          rgb(0, 0, 255),     rgb(0, 255, 0),     rgb(0, 0, 0),     rgb(255, 255, 255),
                          rgb(255, 0, 255),   rgb(255, 128, 0),   rgb(0, 255, 255), rgb(128, 64, 0)};

    ms.tables.TypeCodeLetters = MakeTypeCodeLetters();
    st.Shared.TypeCodeLetters = ms.tables.TypeCodeLetters.c_str();

    // Entries 0..29 by doubling, 30 and 31 set directly.
    int32_t value = 1;
    int32_t mask = 1;
    for (size_t i = 0; i <= 29; ++i) {
        ms.tables.BitValue[i] = value;
        ms.tables.BitMask[i] = mask;
        value *= 2;
        mask |= value;
    }
    ms.tables.BitValue[30] = 0x40000000;
    ms.tables.BitMask[30] = 0x7FFFFFFF;
    ms.tables.BitValue[31] = static_cast<int32_t>(0x80000000u);
    ms.tables.BitMask[31] = -1;

    st.Arrays.Languages.redim(kLanguageSlots - 1);
    st.Arrays.Languages[0].Code = u"N";
    st.Arrays.Languages[0].Names[0] = u"General";

    ms.tables.ExpandWork.fill(0);
}

}  // namespace yov
