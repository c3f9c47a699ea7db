// The program's own resources (icons, built-in pictures) as files of data/builtin/.
#pragma once

#include <string>
#include <string_view>

namespace yov {

// The path of data/builtin/<name> beside the installed program or in the source tree,
// or "" when no such file exists.
std::string programResourcePath(std::string_view name);

// The folder the program was started from ("" when it cannot be told).
std::string programFolder();

}  // namespace yov
