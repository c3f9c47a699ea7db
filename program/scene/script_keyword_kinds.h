// What the scene-script reader makes of a "$" keyword, for those that show scripts (the
// script editor's highlighting) and must agree with the reader.
#pragma once

#include <cstdint>
#include <string_view>

namespace yov {

enum class ScriptKeywordKind : uint8_t { None, BlockBegin, BlockEnd, Other };

// The kind of a keyword as a script spells it after its "$" (any letter case).
ScriptKeywordKind KindOfScriptKeyword(std::u16string_view word);

}  // namespace yov
