// Highlighting of scene scripts: a style for every character of a line, following the
// language as the script reader takes it ("$" keyword lines, comment lines and inline
// comments, quoted text, macros, conditional text, the editor's word list).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace yov {

enum class ScriptStyle : uint8_t {
    Default = 0,
    Comment = 1,
    Keyword = 2,     // a "$" keyword the reader knows
    BlockBegin = 3,  // "$SECTION", "$SCENE" ... and their other spellings
    BlockEnd = 4,
    Dollar = 5,  // a "$" word the reader does not know
    Word = 6,    // a word of the editor's list: parameter names, movement modes
    String = 7,
    Macro = 8,
    Conditional = 9,
};
inline constexpr int kScriptStyleCount = 10;

// The styles of one line (without its line end). `continued`: the line before ended in
// "\", so this one goes on with its parameters.
std::vector<ScriptStyle> StyleScriptLine(std::u16string_view line, bool continued);

// A line ends in "\" (blanks after it allowed): the next line goes on with it.
bool ContinuesOnNextLine(std::u16string_view line);

// Styles of a whole text, line ends (CR, LF) in Default.
std::vector<ScriptStyle> StyleScript(std::u16string_view text);

}  // namespace yov
