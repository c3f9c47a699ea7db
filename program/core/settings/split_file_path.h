// Paths as the program spells them: as the user or the file naming them wrote them ("/" here,
// "\" in scripts and stock files written on Windows, any letter case), and the file-system
// names they stand for. A spelling is kept as written; names the program puts together join
// with "/" unless the folder is spelled with "\" alone.
#pragma once

#include <string>
#include <string_view>

namespace yov {

struct PathSplit {
    std::u16string dir;   // without the trailing separator
    std::u16string name;  // without extension
    std::u16string ext;   // from the last dot of the name on, or empty
};

// Split at the last "/" or "\" and at the last "." after it (plat::splitFilePath), spelling
// kept.
PathSplit splitPathText(std::u16string_view path);

// folder, a separator and name (plat::joinPath): "\" when the folder is spelled with "\"
// alone (or has no separator and the name is spelled with "\" alone), else "/"; none when
// the folder is empty or ends in one.
std::u16string JoinFilePath(std::u16string_view folder, std::u16string_view name);

// A name that does not lie below the folder of whatever names it: it starts with a drive
// ("C:"), a "/" or a "\".
bool IsRootedPath(std::u16string_view name);

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
