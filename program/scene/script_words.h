// The words of the scene-script language as the script editor lists them: keywords (the
// "$" directives and parameter lines, movement modes, parameter names) and the words that
// open and close a block. The editor's highlighting and its word completion both use them.
#pragma once

#include <string>

namespace yov {

// The 152-word keyword list, the block-begin and block-end lists, each word followed by LF.
std::u16string EditorKeywordList();
std::u16string EditorBlockBeginList();
std::u16string EditorBlockEndList();

}  // namespace yov
