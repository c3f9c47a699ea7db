// Whole numbers as the program's texts write them: decimal, a minus sign when negative.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

namespace yov {

inline std::u16string decimal(int64_t n) { return plat::widen(std::to_string(n)); }

}  // namespace yov
