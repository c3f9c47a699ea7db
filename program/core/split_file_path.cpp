#include "program/core/split_file_path.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "program/core/program_state.h"

namespace yov {

PathSplit splitPathText(std::u16string_view path) {
  std::u16string work(path);
  std::replace(work.begin(), work.end(), u'/', u'\\');
  PathSplit parts;
  const size_t slash = work.rfind(u'\\');
  const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
  const size_t dot = work.rfind(u'.');
  if (dot != std::u16string::npos && dot >= nameStart) {
    parts.ext = work.substr(dot);
    work.erase(dot);
  }
  if (slash == std::u16string::npos) {
    parts.name = work;
  } else {
    parts.dir = work.substr(0, slash);
    parts.name = work.substr(slash + 1);
  }
  return parts;
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

std::string createPath(std::u16string_view spelled) {
  return plat::resolveForCreate(plat::utf16ToUtf8(spelled));
}

}  // namespace yov
