#include "program/stock_data/code_letters.h"

#include <algorithm>
#include <array>

#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/stock_data/stock_state.h"

namespace yov {

namespace {

constexpr int32_t kFirstWireLetter = 13;
constexpr int32_t kWayMenu = 3;
constexpr int32_t kElectricCaption = -32766;
constexpr int32_t kTramwayCaption = -32763;
constexpr int32_t kLetterCaptionBase = -32769;
constexpr int32_t kKeyBuffer = 16;

int32_t wireHeight(int32_t p) { return programState().Shared.PictureHeight - (p - 11) / 2; }

// The way menu's caption of an item: its text key in the current language, without the
// ending. Ids are the menu's 16-bit identifiers.
std::u16string wayMenuCaption(int32_t id) {
    std::array<char, kKeyBuffer> buffer{};
    const int32_t n = lv::GetMenuKey(kWayMenu, id & 0xFFFF, buffer.data(), kKeyBuffer);
    const std::u16string key = fromEngineText(buffer.data(), n, kKeyBuffer);
    return key.empty() ? std::u16string() : GetText(key, u"", kTextStemOnly);
}

}  // namespace

int32_t CodeLetterPosition(char16_t letter) {
    const std::u16string& letters = programState().tables.TypeCodeLetters;
    const size_t p = letters.find(letter);
    return p == std::u16string::npos ? 0 : static_cast<int32_t>(p) + 1;
}

int32_t CodeLetterValue(char16_t letter) {
    const int32_t p = CodeLetterPosition(letter);
    stockState().CodeLetterPosition = p;
    if (p == 3 || p == 6) return programState().Shared.PictureHeight;
    if (p == 7) return 31;
    if (p < kFirstWireLetter) return 0;
    return wireHeight(p);
}

std::u16string FormatCodeLetter(char16_t& letter) {
    const int32_t p = CodeLetterPosition(letter);
    if (p == 0) letter = u' ';
    if (p < kFirstWireLetter) return std::u16string(1, letter);
    return std::u16string(p % 2 != 0 ? u"E" : u"T") + decimal(wireHeight(p));
}

std::u16string GetCodeLetterCaption(char16_t letter) {
    const int32_t p = CodeLetterPosition(letter);
    if (p < kFirstWireLetter) return wayMenuCaption(std::max(p, 1) + kLetterCaptionBase);
    return wayMenuCaption(p % 2 != 0 ? kElectricCaption : kTramwayCaption) + u" " + decimal(wireHeight(p));
}

}  // namespace yov
