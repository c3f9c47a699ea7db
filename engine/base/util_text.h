// Small helpers shared by the engine's text utilities.
#pragma once

#include <cstdint>
#include <string_view>

#include "lumvatek/shared.h"

namespace lvk {

// A text in the shared-string layout as a view (null is empty).
inline std::u16string_view SharedTextView(const char16_t* text) {
    return text == nullptr ? std::u16string_view() : std::u16string_view(text, static_cast<size_t>(LvTextLength(text)));
}

// ASCII letter, digit or "_".
inline bool IsWordChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}

}  // namespace lvk
