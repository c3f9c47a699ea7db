// The attribute keyword table of FindAttrib. It is filled at run time, by the engine's own
// code; the program does not use it. Words match without regard to ASCII case.
#pragma once

#include <cstdint>
#include <string_view>

namespace lvk {

void AddAttribKeyword(std::u16string_view word, int32_t code);
void ClearAttribKeywords();

}  // namespace lvk
