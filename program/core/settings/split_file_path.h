// Paths as the program spells them ("\" separated, as scripts and stock files written on
// Windows name files) and the file-system names they stand for.
#pragma once

#include <string>
#include <string_view>

namespace yov {

struct PathSplit {
    std::u16string dir;   // without the trailing "\"
    std::u16string name;  // without extension
    std::u16string ext;   // from the last dot of the name on, or empty
};

// Every "/" made "\", then split at the last "\" and at the last "." after it
// (plat::splitFilePath).
PathSplit splitPathText(std::u16string_view path);

// splitPathText into ProgramState's SplitPath, SplitDir, SplitName and SplitExt (the
// "last file" of the file dialog).
void SplitFilePath(std::u16string_view path);

// The existing file or folder a spelled path names (any separator, any letter case),
// else the spelling with "/" separators.
std::string openPath(std::u16string_view spelled);
// Where to create the file a spelled path names: its folder found as openPath finds it;
// "" when the folder does not exist.
std::string createPath(std::u16string_view spelled);

}  // namespace yov
