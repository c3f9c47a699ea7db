// A text handed to an engine export in the shared length-prefixed layout.
#pragma once

#include <algorithm>
#include <new>
#include <string>
#include <string_view>

#include "lumvatek/shared.h"
#include "platform/codepage.h"

namespace yov {

// A length-prefixed copy of a text for the exports that read one, freed on every way out.
class EngineText {
public:
    explicit EngineText(std::u16string_view text) : text_(LvTextAlloc(text.data(), static_cast<int32_t>(text.size()))) {
        if (text_ == nullptr) throw std::bad_alloc();
    }
    ~EngineText() { LvTextFree(text_); }
    EngineText(const EngineText&) = delete;
    EngineText& operator=(const EngineText&) = delete;
    const char16_t* get() const { return text_; }

private:
    char16_t* text_;
};

// An 8-bit text an export wrote into a buffer: UTF-8, as every 8-bit text crossing the
// boundary is. A length outside 0..capacity is cut to it.
inline std::u16string fromEngineText(const char* bytes, int32_t length, int32_t capacity) {
    const int32_t n = std::clamp(length, 0, capacity);
    return plat::utf8ToUtf16(std::string_view(bytes, static_cast<size_t>(n)));
}

}  // namespace yov
