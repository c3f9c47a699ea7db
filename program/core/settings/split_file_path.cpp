#include "program/core/settings/split_file_path.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "program/core/startup/program_state.h"

namespace yov {

PathSplit splitPathText(std::u16string_view path) {
    const plat::PathParts parts = plat::splitFilePath(plat::utf16ToUtf8(path));
    return {plat::utf8ToUtf16(parts.dir), plat::utf8ToUtf16(parts.name), plat::utf8ToUtf16(parts.ext)};
}

std::u16string JoinFilePath(std::u16string_view folder, std::u16string_view name) {
    // A folder of one component takes the separator of a name spelled with "\" alone.
    const bool plainFolder = folder.find_first_of(u"/\\") == std::u16string_view::npos;
    if (!folder.empty() && plainFolder && name.find(u'\\') != std::u16string_view::npos &&
        name.find(u'/') == std::u16string_view::npos)
        return std::u16string(folder) + u'\\' + std::u16string(name);
    return plat::utf8ToUtf16(plat::joinPath(plat::utf16ToUtf8(folder), plat::utf16ToUtf8(name)));
}

bool IsRootedPath(std::u16string_view name) {
    return (name.size() >= 2 && name[1] == u':') || (!name.empty() && (name.front() == u'/' || name.front() == u'\\'));
}

void SplitFilePath(std::u16string_view path) {
    ProgramState& st = programState();
    PathSplit parts = splitPathText(path);
    st.split.SplitPath = path;
    st.split.SplitDir = std::move(parts.dir);
    st.split.SplitName = std::move(parts.name);
    st.split.SplitExt = std::move(parts.ext);
}

std::string openPath(std::u16string_view spelled) {
    const std::string utf8 = plat::utf16ToUtf8(spelled);
    if (std::string found = plat::resolvePath(utf8); !found.empty()) return found;
    std::string spelling = utf8;
    std::replace(spelling.begin(), spelling.end(), '\\', '/');
    return spelling;
}

std::string createPath(std::u16string_view spelled) { return plat::resolveForCreate(plat::utf16ToUtf8(spelled)); }

}  // namespace yov
