#include "program/core/settings/split_file_path.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "program/core/startup/program_state.h"

namespace yov {

PathSplit splitPathText(std::u16string_view path) {
    std::u16string work(path);
    std::replace(work.begin(), work.end(), u'/', u'\\');
    const plat::PathParts parts = plat::splitFilePath(plat::utf16ToUtf8(work));
    return {plat::utf8ToUtf16(parts.dir), plat::utf8ToUtf16(parts.name), plat::utf8ToUtf16(parts.ext)};
}

void SplitFilePath(std::u16string_view path) {
    ProgramState& st = programState();
    PathSplit parts = splitPathText(path);
    st.SplitPath = path;
    st.SplitDir = std::move(parts.dir);
    st.SplitName = std::move(parts.name);
    st.SplitExt = std::move(parts.ext);
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
