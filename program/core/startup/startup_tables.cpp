#include "program/core/startup/startup_tables.h"

#include "platform/codepage.h"
#include "platform/numbers.h"
#include "program/core/startup/main_state.h"
#include "program/core/startup/program_state.h"
#include "program/core/settings/settings.h"

namespace yov {

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

const char16_t* const kModeLetter[2] = {u"W", u"F"};

// A flag or small choice as stored: any number, masked (an odd number reads as 1).
uint8_t masked(std::u16string_view name, int32_t defaultValue, int32_t mask) {
    return static_cast<uint8_t>(GetRegNumber(name, defaultValue) & mask);
}

std::u16string perMode(const char16_t* base, int mode) { return std::u16string(base) + kModeLetter[mode]; }

void readShowSettings(int m) {
    ShowSettings& s = mainState().Show;
    const auto i = static_cast<size_t>(m);
    s.Random[i] = masked(perMode(u"Random", m), 2, 3);
    s.NStpClk[i] = masked(perMode(u"NStpClk", m), 1, 1);
    s.NStpMov[i] = masked(perMode(u"NStpMov", m), 1, 1);
    s.NStpKey[i] = masked(perMode(u"NStpKey", m), 0, 1);
    s.Speed[i] = static_cast<float>(GetRegNumber(perMode(u"Speed", m), 25)) * 0.001f;
    s.LimLenB[i] = masked(perMode(u"LimLenB", m), 0, 1);
    // Read as text with a text default, then rounded: "12.5" is 12.
    const std::u16string lenText = GetRegString(perMode(u"LimLenV", m), u"4000");
    const plat::LeadingNumber len = plat::parseLeadingNumber(lenText);
    s.LimLenV[i] = len.overflow ? 4000 : plat::toLong(len.value).value_or(4000);
    s.LimLinB[i] = masked(perMode(u"LimLinB", m), 0, 1);
    s.LimLinV[i] = GetRegNumber(perMode(u"LimLinV", m), 3);
    s.LimProcB[i] = masked(perMode(u"LimProcB", m), 0, 1);
    s.LimProcV[i] = static_cast<float>(GetRegNumber(perMode(u"LimProcV", m), 70)) / 10.0f;
    s.SkipErr[i] = masked(perMode(u"SkipErr", m), 1, 1);
}

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
    MainState& ms = mainState();
    ProgramState& st = programState();

    ms.PicKindExt = {};
    ms.PicKindClass = {};
    const struct {
        int kind;
        const char16_t* ext;
        uint8_t kindClass;
    } kinds[] = {{1, u".GIF", 1},   {2, u".BMP", 1},   {3, u".DIB", 1},  {5, u"", 2},
                 {6, u"", 2},       {7, u"", 0},       {9, u".BMP", 37}, {10, u".BMP", 33},
                 {11, u".DIB", 33}, {18, u".BMP", 17}, {19, u".DIB", 17}};
    for (const auto& k : kinds) {
        ms.PicKindExt[static_cast<size_t>(k.kind)] = k.ext;
        ms.PicKindClass[static_cast<size_t>(k.kind)] = k.kindClass;
    }

    ms.ColorLetters = u" RYBGKWLOCN";
    ms.ColorRGB = {rgb(128, 128, 128), rgb(128, 128, 128), rgb(255, 0, 0),   rgb(255, 255, 0),
                   rgb(0, 0, 255),     rgb(0, 255, 0),     rgb(0, 0, 0),     rgb(255, 255, 255),
                   rgb(255, 0, 255),   rgb(255, 128, 0),   rgb(0, 255, 255), rgb(128, 64, 0)};

    ms.TypeCodeLetters = MakeTypeCodeLetters();
    st.Shared.TypeCodeLetters = ms.TypeCodeLetters.c_str();

    // Entries 0..29 by doubling, 30 and 31 set directly.
    int32_t value = 1;
    int32_t mask = 1;
    for (size_t i = 0; i <= 29; ++i) {
        ms.BitValue[i] = value;
        ms.BitMask[i] = mask;
        value *= 2;
        mask |= value;
    }
    ms.BitValue[30] = 0x40000000;
    ms.BitMask[30] = 0x7FFFFFFF;
    ms.BitValue[31] = static_cast<int32_t>(0x80000000u);
    ms.BitMask[31] = -1;

    st.Arrays.Languages.redim(kLanguageSlots - 1);
    st.Arrays.Languages[0].Code = u"N";
    st.Arrays.Languages[0].Names[0] = u"General";

    ms.ExpandWork.fill(0);
}

void ReadStartupSettings() {
    MainState& ms = mainState();
    programState().CacheMode = static_cast<uint8_t>(GetRegNumberIn(u"Cache", 0, 0, 255));
    readShowSettings(kWindowMode);
    readShowSettings(kFullScreenMode);
    ms.Show.DrawAlg[kWindowMode] = masked(u"DrawAlgW", 1, 1);
    // 0..4; anything else (a method that no longer exists) draws whole trains with GDI.
    const int32_t fullScreen = GetRegNumber(u"DrawAlgF", 4);
    ms.Show.DrawAlg[kFullScreenMode] = static_cast<uint8_t>(fullScreen < 0 || fullScreen > 4 ? 1 : fullScreen);
    ms.ColTrans = masked(u"ColTrans", 0, 3);
    ms.HighPriority = masked(u"Priority", 1, 1);
    ms.Music = masked(u"Music", 0, 1);
    ms.UseDefDir = masked(u"UseDefDir", 1, 1);
    ms.StbZ = static_cast<uint8_t>(GetRegNumberIn(u"StbZ", 6, 0, 255));
    ms.TvlZ = static_cast<uint8_t>(GetRegNumberIn(u"TvlZ", 6, 0, 255));
}

}  // namespace yov
