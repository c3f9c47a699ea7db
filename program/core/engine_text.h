// A text handed to an engine export in the shared length-prefixed layout.
#pragma once

#include <new>
#include <string_view>

#include "lumvatek/shared.h"

namespace yov {

// A length-prefixed copy of a text for the exports that read one, freed on every way out.
class EngineText {
 public:
  explicit EngineText(std::u16string_view text)
      : text_(LvTextAlloc(text.data(), static_cast<int32_t>(text.size()))) {
    if (text_ == nullptr) throw std::bad_alloc();
  }
  ~EngineText() { LvTextFree(text_); }
  EngineText(const EngineText&) = delete;
  EngineText& operator=(const EngineText&) = delete;
  const char16_t* get() const { return text_; }

 private:
  char16_t* text_;
};

}  // namespace yov
